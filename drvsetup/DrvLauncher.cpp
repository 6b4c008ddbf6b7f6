#include "drvsetup/DrvLauncher.h"

#include "drvsetup/SystemLauncherProbes.h"

extern "C" DRVLAUNCHER_API int WINAPI KdCheckOS_DrvSetup(const char* folder)
{
    drvsetup::SystemLauncherProbes probes;
    return drvsetup::RunLauncher(folder, probes);
}

CDrvLauncher::CDrvLauncher() = default;

CDrvLauncher& CDrvLauncher::operator=(const CDrvLauncher&)
{
    return *this;
}

DRVLAUNCHER_API int nDrvLauncher = 0;

extern "C" DRVLAUNCHER_API int fnDrvLauncher(void)
{
    return 42;
}
