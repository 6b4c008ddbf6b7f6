#pragma once
// What a calibration run needs from the rest of the program: the board's facade, the mode
// thread, the main window's energy timer and the profile store. The power monitor installs the
// real one; tests install a recording one.
#include <windows.h>

namespace tv {

// The two loads of the load generator.
enum class CalibrationLoad
{
    Primary, // "StartCalibrateWithPrimary"
    CpuBurn, // "StartCalibrateWithCpuBurn"
};

class CalibrationEnvironment
{
public:
    virtual ~CalibrationEnvironment() = default;

    // The board's power-controller type, as cached for the process.
    virtual DWORD ControllerType() = 0;
    // The processors the system reports.
    virtual int ProcessorCount() = 0;
    // The gear level in force now (OptiGearGetLevel).
    virtual int CurrentGearLevel() = 0;
    // One CPU-load sample from the power-gear facade.
    virtual DWORD LoadSample() = 0;
    // Requests a mode through the mode thread; level is passed as is (it normalises).
    virtual void ApplyMode(int level, bool applyFlag) = 0;
    // Switches the main window's energy timer, so that no energy is booked while calibrating.
    virtual void SetEnergyTimerEnabled(bool enabled) = 0;
    // Writes "Calibration_Flag" (1 while a run is in progress, else 0), flushed.
    virtual void SetCalibrationFlag(bool running) = 0;
    // Hands the derived thresholds to the power-gear facade, which keeps and stores them.
    virtual void StoreThresholds(int threshold1, int threshold2, int threshold3) = 0;
    // Starts the load generator with that many threads; it runs until StopLoad.
    virtual void StartLoad(CalibrationLoad load, int threads) = 0;
    virtual void StopLoad() = 0;
};

// Installs the environment the strategies use (not owned; nullptr removes it).
void SetCalibrationEnvironment(CalibrationEnvironment* environment);
// The installed environment, or nullptr.
CalibrationEnvironment* GetCalibrationEnvironment();
// The installed environment; calibrating without one is a programming error.
CalibrationEnvironment& RequireCalibrationEnvironment();

// Ready-made parts a real environment can build on.
namespace calibration {

// StartLoad and StopLoad through the process-wide Calibrate.dll; a missing entry is skipped.
void StartLoadThroughLibrary(CalibrationLoad load, int threads);
void StopLoadThroughLibrary();
// SetCalibrationFlag as the registry holds it: "Calibration_Flag" under the Advance key (created
// if missing), flushed so that a crash right after still finds it. False when the write failed.
bool WriteCalibrationFlag(bool running);

} // namespace calibration

} // namespace tv
