#pragma once
// Handle accounting for leak checks. GetProcessHandleCount answers 0 under Wine, so the count
// comes from the system's handle table (NtQuerySystemInformation, extended handle list).
#include <windows.h>

namespace tvtest {

// Handles held by the process; -1 when the system does not tell.
long CountProcessHandles(DWORD processId = GetCurrentProcessId());

} // namespace tvtest
