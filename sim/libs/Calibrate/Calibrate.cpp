// Calibrate.dll: the CPU load under which the program calibrates its Auto thresholds.
#include "CalibrateExport.h"
#include "LoadGenerator.h"

using calibrate::LoadGenerator;
using calibrate::LoadKind;

CALIBRATE_API int WINAPI StartCalibrateWithPrimary(int threads)
{
    try {
        return LoadGenerator::Instance().Start(LoadKind::PrimeSearch, threads) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

CALIBRATE_API int WINAPI StartCalibrateWithCpuBurn(int threads)
{
    try {
        return LoadGenerator::Instance().Start(LoadKind::FloatingPointBurn, threads) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

CALIBRATE_API int WINAPI StopCalibrate()
{
    try {
        return LoadGenerator::Instance().Stop() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
