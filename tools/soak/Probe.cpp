#include "tools/soak/Probe.h"

#include "shell/base/PeerMessages.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace soak {
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

// GetProcessHandleCount answers 0 under Wine; the system's handle table does not.
long CountHandles(DWORD processId)
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
            buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
        long count = 0;
        for (ULONG_PTR i = 0; i < list->count; ++i) {
            count += list->entries[i].processId == processId;
        }
        return count;
    }
    return -1;
}

long CountThreads(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    long count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == processId;
    }
    CloseHandle(snapshot);
    return count;
}

std::string ProcFile(const std::string& pid, const char* name)
{
    std::string text;
    HANDLE file =
        CreateFileA(("Z:\\proc\\" + pid + "\\" + name).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

// The newest Linux process whose command line names the program's full path.
std::string LinuxPid(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string pid;
    do {
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0]))) {
            continue;
        }
        if (ProcFile(found.cFileName, "cmdline").find(path) != std::string::npos &&
            (pid.empty() || std::atol(found.cFileName) > std::atol(pid.c_str()))) {
            pid = found.cFileName;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pid;
}

// utime + stime of /proc/PID/stat (fields 14 and 15, clock ticks of 10 ms).
double LinuxCpuMs(const std::string& pid)
{
    std::string stat = ProcFile(pid, "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    const char* p = stat.c_str() + close + 2;
    unsigned long long ticks = 0;
    for (int field = 3; field <= 15; ++field) {
        while (*p == ' ') {
            ++p;
        }
        if (field >= 14) {
            ticks += std::strtoull(p, nullptr, 10);
        }
        while (*p && *p != ' ') {
            ++p;
        }
    }
    return static_cast<double>(ticks) * 10.0;
}

double LinuxPrivateKb(const std::string& pid)
{
    std::string status = ProcFile(pid, "status");
    const size_t at = status.find("RssAnon:");
    return at == std::string::npos ? -1 : std::strtod(status.c_str() + at + 8, nullptr);
}

double WindowsCpuMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return -1;
    }
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

double WindowsPrivateKb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        return -1;
    }
    return static_cast<double>(counters.PrivateUsage) / 1024.0;
}

} // namespace

Probe::Probe(HANDLE process, DWORD processId, const std::string& program)
    : m_process(process), m_processId(processId)
{
    // Windows tells for another process; Wine keeps another process's figures at their start
    // (or zeros), so under Wine the Linux process behind it tells.
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        m_linuxPid = LinuxPid(program);
    }
}

Figures Probe::Measure(HWND mainWindow) const
{
    Figures figures;
    if (m_linuxPid.empty()) {
        figures.privateKb = WindowsPrivateKb(m_process);
        figures.cpuMs = WindowsCpuMs(m_process);
    } else {
        figures.privateKb = LinuxPrivateKb(m_linuxPid);
        figures.cpuMs = LinuxCpuMs(m_linuxPid);
    }
    figures.handles = CountHandles(m_processId);
    figures.threads = CountThreads(m_processId);
    static const UINT gdiMessage = RegisterWindowMessageA(tv::peer::kLiveGdiObjectsMessage);
    DWORD_PTR answer = 0;
    if (mainWindow &&
        SendMessageTimeoutA(mainWindow, gdiMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) {
        figures.gdiObjects = static_cast<long>(answer);
    }
    return figures;
}

} // namespace soak
