#pragma once
// Exports of DrvLauncher.dll. The installation package calls KdCheckOS_DrvSetup (WINAPI, exported
// under its plain name); the other exports are left from the project template and do nothing.
#include <windows.h>

#ifdef DRVLAUNCHER_EXPORTS
#define DRVLAUNCHER_API __declspec(dllexport)
#else
#define DRVLAUNCHER_API __declspec(dllimport)
#endif

// folder: the package folder holding drvsetup32.exe and drvsetup64.exe (may be null or empty).
// -1 Intel processor; 0 not Windows XP (or version unreadable); 1 Windows 2000, or the setup
// program ran; -5 the setup program could not be started.
extern "C" DRVLAUNCHER_API int WINAPI KdCheckOS_DrvSetup(const char* folder);

class DRVLAUNCHER_API CDrvLauncher
{
public:
    CDrvLauncher();
    CDrvLauncher(const CDrvLauncher&) = default;
    CDrvLauncher& operator=(const CDrvLauncher& other);
};

extern "C" DRVLAUNCHER_API int nDrvLauncher;
extern "C" DRVLAUNCHER_API int fnDrvLauncher(void);
