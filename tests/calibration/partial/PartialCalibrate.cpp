// A load generator with "StartCalibrateWithPrimary" and "StopCalibrate" only. It loads nothing;
// it counts the calls so that a test can see which ones arrived.
#include <windows.h>

namespace {

volatile LONG g_startCalls = 0;
volatile LONG g_lastThreads = 0;
volatile LONG g_stopCalls = 0;

} // namespace

extern "C" __declspec(dllexport) int __stdcall StartCalibrateWithPrimary(int threads)
{
    InterlockedIncrement(&g_startCalls);
    InterlockedExchange(&g_lastThreads, threads);
    return 1;
}

extern "C" __declspec(dllexport) int __stdcall StopCalibrate()
{
    InterlockedIncrement(&g_stopCalls);
    return 1;
}

extern "C" __declspec(dllexport) int __stdcall PartialStartCalls()
{
    return g_startCalls;
}

extern "C" __declspec(dllexport) int __stdcall PartialLastThreads()
{
    return g_lastThreads;
}

extern "C" __declspec(dllexport) int __stdcall PartialStopCalls()
{
    return g_stopCalls;
}
