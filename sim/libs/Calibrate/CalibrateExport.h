#pragma once
// Exports of Calibrate.dll: WINAPI, under their plain names in both bitnesses (--kill-at).
#include <windows.h>

#define CALIBRATE_API extern "C" __declspec(dllexport)

// Start a load of `threads` threads (1 to kMaxLoadThreads; more are capped) that lasts until
// StopCalibrate. A start while a load runs replaces it. Nonzero on success.
CALIBRATE_API int WINAPI StartCalibrateWithPrimary(int threads);
CALIBRATE_API int WINAPI StartCalibrateWithCpuBurn(int threads);
// Stops the load and returns when its threads have ended. Nonzero on success.
CALIBRATE_API int WINAPI StopCalibrate();
