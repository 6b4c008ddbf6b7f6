// tetravolt.exe started as at a boot and left alone in the tray: the CPU time it takes over
// 120 s, and its private memory against the minimal one-window program's, both measured the
// same way, by the soak's probe (under Wine: the Linux process behind it). TV_IDLE_SECONDS
// shortens the idle time (for a quick look).
#include "tools/soak/Probe.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
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
    const soak::Probe tetravoltProbe(tetravolt.info.hProcess, tetravolt.info.dwProcessId,
                                     ProgramDirectory() + "tetravolt.exe");
    const soak::Probe minimalProbe(minimal.info.hProcess, minimal.info.dwProcessId,
                                   ProgramDirectory() + "minimal_window.exe");
    const double cpuBefore = tetravoltProbe.Measure(nullptr).cpuMs;
    const double minimalBefore = minimalProbe.Measure(nullptr).cpuMs;
    Sleep(idleMs);
    const soak::Figures after = tetravoltProbe.Measure(nullptr);
    const soak::Figures minimalAfter = minimalProbe.Measure(nullptr);
    const double cpu = after.cpuMs - cpuBefore;
    const double minimalCpu = minimalAfter.cpuMs - minimalBefore;
    const double memory = after.privateKb;
    const double minimalMemory = minimalAfter.privateKb;
    Stop(tetravolt);
    Stop(minimal);

    std::printf("(measured through %s)\n", tetravoltProbe.Source());
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
