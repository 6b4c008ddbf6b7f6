#pragma once
// Process accounting for leak and load checks: handles, threads, CPU time. GetProcessHandleCount
// answers 0 under Wine, so the handle count comes from the system's handle table
// (NtQuerySystemInformation, extended handle list).
#include <windows.h>

namespace tvtest {

// Handles held by the process; -1 when the system does not tell.
long CountProcessHandles(DWORD processId = GetCurrentProcessId());

// Threads of this process; -1 (and a test failure) when the snapshot fails.
int CountProcessThreads();

// User plus kernel time of this process so far, in milliseconds.
double ProcessCpuMs();

} // namespace tvtest
