// tetravolt.exe started as at a boot and left alone in the tray: the CPU time it takes over
// 120 s, and its private memory against the minimal one-window program's, both measured the
// same way. TV_IDLE_SECONDS shortens the idle time (for a quick look). Windows reports both for
// another process; under Wine, which reports zeros, they come from the Linux process behind it
// (/proc through drive Z:): user plus system time, and the resident anonymous memory.
#include <windows.h>
#include <psapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr DWORD kSettleMs = 10000;

std::string ProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

struct Running
{
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
};

bool Start(const char* program, const char* arguments, const char* windowClass, const char* title,
           Running& running)
{
    std::string folder = ProgramDirectory();
    std::string path = folder + program;
    std::string commandLine = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &running.info)) {
        std::printf("cannot start %s (error %lu)\n", program, GetLastError());
        return false;
    }
    const DWORD start = GetTickCount();
    while (!(running.window = FindWindowA(windowClass, title))) {
        if (GetTickCount() - start > kTimeoutMs ||
            WaitForSingleObject(running.info.hProcess, 0) != WAIT_TIMEOUT) {
            std::printf("%s shows no window\n", program);
            return false;
        }
        Sleep(20);
    }
    return true;
}

void Stop(Running& running)
{
    if (running.window) {
        PostMessageA(running.window, WM_USER, 85, 0);
    }
    if (WaitForSingleObject(running.info.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(running.info.hProcess, 1);
    }
    CloseHandle(running.info.hThread);
    CloseHandle(running.info.hProcess);
}

// The text of a file of /proc, read through drive Z:; empty when there is none.
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

// The newest Linux process whose command line names the program file (its full path: other
// sessions on the machine may run a program of the same name), or empty.
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
        std::string commandLine = ProcFile(found.cFileName, "cmdline");
        if (commandLine.find(path) != std::string::npos &&
            (pid.empty() || std::atol(found.cFileName) > std::atol(pid.c_str()))) {
            pid = found.cFileName;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pid;
}

// utime + stime of /proc/PID/stat, in ms (clock ticks of 10 ms).
double LinuxCpuMs(const std::string& pid)
{
    std::string stat = ProcFile(pid, "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    // Fields after the command: state is field 3; utime and stime are 14 and 15.
    const char* p = stat.c_str() + close + 2;
    unsigned long long values[13] = {};
    for (int field = 3; field <= 15; ++field) {
        while (*p == ' ') {
            ++p;
        }
        if (field >= 14) {
            values[field - 3] = std::strtoull(p, nullptr, 10);
        }
        while (*p && *p != ' ') {
            ++p;
        }
    }
    return static_cast<double>(values[11] + values[12]) * 10.0;
}

// RssAnon of /proc/PID/status, KiB.
double LinuxPrivateKb(const std::string& pid)
{
    std::string status = ProcFile(pid, "status");
    const size_t at = status.find("RssAnon:");
    return at == std::string::npos ? -1 : std::strtod(status.c_str() + at + 8, nullptr);
}

double CpuMs(HANDLE process)
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

double PrivateKb(HANDLE process)
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

int main()
{
    DWORD idleMs = 120000;
    if (const char* seconds = std::getenv("TV_IDLE_SECONDS")) {
        idleMs = static_cast<DWORD>(std::strtoul(seconds, nullptr, 10)) * 1000;
    }
    GetDesktopWindow();
    Running minimal, tetravolt;
    if (!Start("minimal_window.exe", "", "TvMinimalWindow", "Minimal", minimal) ||
        !Start("tetravolt.exe", "-b", "TMainForm", "Hexavolt", tetravolt)) {
        return 1;
    }
    // The start's own work (pipe server, tray, the first mode) is over before the count begins.
    Sleep(kSettleMs);
    const std::string tetravoltPid = LinuxPid(ProgramDirectory() + "tetravolt.exe");
    const std::string minimalPid = LinuxPid(ProgramDirectory() + "minimal_window.exe");
    // Windows tells; Wine's figures for another process are not kept up to date (the times of
    // its start, no private bytes), so under Wine the Linux process behind it tells.
    const bool underWine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    const bool throughLinux = underWine && !tetravoltPid.empty() && !minimalPid.empty();
    auto cpuOf = [&](const Running& running, const std::string& pid) {
        return throughLinux ? LinuxCpuMs(pid) : CpuMs(running.info.hProcess);
    };
    auto memoryOf = [&](const Running& running, const std::string& pid) {
        return throughLinux ? LinuxPrivateKb(pid) : PrivateKb(running.info.hProcess);
    };
    const double cpuBefore = cpuOf(tetravolt, tetravoltPid);
    const double minimalBefore = cpuOf(minimal, minimalPid);
    Sleep(idleMs);
    const double cpu = cpuOf(tetravolt, tetravoltPid) - cpuBefore;
    const double minimalCpu = cpuOf(minimal, minimalPid) - minimalBefore;
    const double memory = memoryOf(tetravolt, tetravoltPid);
    const double minimalMemory = memoryOf(minimal, minimalPid);
    Stop(tetravolt);
    Stop(minimal);

    std::printf("(Linux processes %s and %s; measured %s)\n",
                tetravoltPid.empty() ? "?" : tetravoltPid.c_str(),
                minimalPid.empty() ? "?" : minimalPid.c_str(),
                throughLinux ? "through Linux: /proc utime + stime, RssAnon"
                             : "through Windows: process times, private bytes");
    std::printf("Idle in the tray for %lu s (after %lu s to settle):\n", idleMs / 1000,
                kSettleMs / 1000);
    std::printf("tetravolt.exe        CPU %8.1f ms  = %.4f %% of one core   (goal under 0.05 %%)\n",
                cpu, 100.0 * cpu / idleMs);
    std::printf("minimal one-window   CPU %8.1f ms  = %.4f %% of one core\n", minimalCpu,
                100.0 * minimalCpu / idleMs);
    if (memory < 0 || minimalMemory < 0) {
        std::printf("private memory: not reported by the system (error %lu)\n", GetLastError());
        return 0;
    }
    std::printf("private memory: tetravolt.exe %.0f KiB, minimal %.0f KiB, ratio %.2f (goal at "
                "most 2)\n",
                memory, minimalMemory, memory / minimalMemory);
    return 0;
}
