#include "monitor/BoardCalibrationEnvironment.h"

#include "monitor/CpuPowerMonitor.h"
#include "power/PowerGear.h"
#include "power/RecoveryFlags.h"
#include "shell/base/CalibrateLib.h"
#include "shell/base/ControllerLink.h"

namespace tv {

BoardCalibrationEnvironment::BoardCalibrationEnvironment(CpuPowerMonitor& monitor)
    : m_monitor(monitor)
{}

DWORD BoardCalibrationEnvironment::ControllerType()
{
    return m_monitor.ControllerType();
}

int BoardCalibrationEnvironment::ProcessorCount()
{
    return CalibrateLib::SystemProcessorCount();
}

int BoardCalibrationEnvironment::CurrentGearLevel()
{
    return PowerGear::Instance().GetLevel();
}

DWORD BoardCalibrationEnvironment::LoadSample()
{
    return static_cast<DWORD>(PowerGear::Instance().GetIcpu());
}

void BoardCalibrationEnvironment::ApplyMode(int level, bool applyFlag)
{
    m_monitor.ApplyMode(level, applyFlag);
}

void BoardCalibrationEnvironment::SetEnergyTimerEnabled(bool enabled)
{
    controller_link::SetEnergyTimerEnabled(enabled);
}

void BoardCalibrationEnvironment::SetCalibrationFlag(bool running)
{
    if (running) {
        SetRecoveryFlag(RecoveryFlag::Calibration);
    } else {
        ClearRecoveryFlag(RecoveryFlag::Calibration);
    }
}

void BoardCalibrationEnvironment::StoreThresholds(int threshold1, int threshold2, int threshold3)
{
    // Stored, marked calibrated and the board's invalid flag cleared. The board's threshold
    // items are written when Auto is applied, as they always are: writing them here as well
    // showed up to three failure boxes per calibration on boards whose items are read-only.
    PowerGear::Instance().Thresholds().Store(threshold1, threshold2, threshold3);
}

void BoardCalibrationEnvironment::StartLoad(CalibrationLoad load, int threads)
{
    calibration::StartLoadThroughLibrary(load, threads);
}

void BoardCalibrationEnvironment::StopLoad()
{
    calibration::StopLoadThroughLibrary();
}

} // namespace tv
