#include "tests/support/Handles.h"

#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <vector>

namespace tvtest {
namespace {

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry
{
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleList
{
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

using QueryFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

} // namespace

long CountProcessHandles(DWORD processId)
{
    auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return -1;
    }
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 16; ++attempt) {
        ULONG needed = 0;
        LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                            static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch) {
            // The table may grow between two calls: leave some room.
            buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
        long count = 0;
        for (ULONG_PTR i = 0; i < list->count; ++i) {
            if (list->entries[i].processId == processId) {
                ++count;
            }
        }
        return count;
    }
    return -1;
}

int CountProcessThreads()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "CreateToolhelp32Snapshot failed: " << GetLastError();
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        ADD_FAILURE() << "GetProcessTimes failed: " << GetLastError();
        return 0;
    }
    auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

} // namespace tvtest
