#pragma once
// The calibration environment of the program: the board through the power-gear facade, mode
// requests through the power monitor, the energy timer through the main controller, the load
// through Calibrate.dll. The power monitor installs it when it is created.
#include "monitor/CalibrationEnvironment.h"

namespace tv {

class CpuPowerMonitor;

class BoardCalibrationEnvironment : public CalibrationEnvironment
{
public:
    explicit BoardCalibrationEnvironment(CpuPowerMonitor& monitor);

    DWORD ControllerType() override;
    int ProcessorCount() override;
    int CurrentGearLevel() override;
    // The CPU current the Auto logic compares with the thresholds.
    DWORD LoadSample() override;
    void ApplyMode(int level, bool applyFlag) override;
    void SetEnergyTimerEnabled(bool enabled) override;
    void SetCalibrationFlag(bool running) override;
    // Kept and stored by the facade, then sent to the board.
    void StoreThresholds(int threshold1, int threshold2, int threshold3) override;
    void StartLoad(CalibrationLoad load, int threads) override;
    void StopLoad() override;

private:
    CpuPowerMonitor& m_monitor;
};

} // namespace tv
