#include "monitor/CalibrationEnvironment.h"

#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "shell/base/CalibrateLib.h"
#include "shell/base/RegistrySchema.h"

namespace tv {
namespace {

CalibrationEnvironment* g_environment = nullptr;

} // namespace

void SetCalibrationEnvironment(CalibrationEnvironment* environment)
{
    g_environment = environment;
}

CalibrationEnvironment* GetCalibrationEnvironment()
{
    return g_environment;
}

CalibrationEnvironment& RequireCalibrationEnvironment()
{
    LUMO_ASSERT(g_environment != nullptr);
    return *g_environment;
}

namespace calibration {

void StartLoadThroughLibrary(CalibrationLoad load, int threads)
{
    CalibrateLib& library = CalibrateLib::Instance();
    if (load == CalibrationLoad::CpuBurn) {
        library.StartWithCpuBurn(threads);
    } else {
        library.StartWithPrimary(threads);
    }
}

void StopLoadThroughLibrary()
{
    CalibrateLib::Instance().Stop();
}

bool WriteCalibrationFlag(bool running)
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kAdvanceKey, true)) {
        TraceLog("~~~[Calibration] Can not open the Advance key for Calibration_Flag");
        return false;
    }
    const bool written = key.WriteDword(reg::kCalibrationFlag, running ? 1 : 0);
    key.FlushKey();
    return written;
}

} // namespace calibration

} // namespace tv
