// Time from process start until the main window exists: tetravolt.exe (its hidden main form)
// against a minimal one-window Win32 program, measured alternately in one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 15;
constexpr DWORD kTimeoutMs = 30000;

struct Subject
{
    const char* label;
    const char* program;
    const char* windowClass;
    const char* title;
    std::vector<double> times;
};

std::string ProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One start: milliseconds until the window exists, or a negative value on failure.
double TimeOneStart(const Subject& subject)
{
    std::string folder = ProgramDirectory();
    std::string path = folder + subject.program;
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
        std::printf("cannot start %s (error %lu)\n", subject.program, GetLastError());
        return -1;
    }
    HWND window = nullptr;
    LARGE_INTEGER now = start;
    while (!window && Milliseconds(start, now) < kTimeoutMs &&
           WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        window = FindWindowA(subject.windowClass, subject.title);
        QueryPerformanceCounter(&now);
        if (!window) {
            Sleep(1);
        }
    }
    double elapsed = Milliseconds(start, now);
    if (window) {
        PostMessageA(window, WM_USER, 85, 0);
    }
    if (WaitForSingleObject(info.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, kTimeoutMs);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return window ? elapsed : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const Subject& subject)
{
    const std::vector<double>& t = subject.times;
    double mean = std::accumulate(t.begin(), t.end(), 0.0) / static_cast<double>(t.size());
    std::printf("%-22s runs %2zu  median %7.1f ms  mean %7.1f ms  min %7.1f ms  max %7.1f ms\n",
                subject.label, t.size(), Median(t), mean, *std::min_element(t.begin(), t.end()),
                *std::max_element(t.begin(), t.end()));
}

} // namespace

int main()
{
    // Keep the desktop process of the session alive across the runs, so that no run pays for
    // starting it.
    GetDesktopWindow();
    Subject tetravolt = {"tetravolt.exe", "tetravolt.exe", "TMainForm", "Hexavolt", {}};
    Subject minimal = {
        "minimal one-window", "minimal_window.exe", "TvMinimalWindow", "Minimal", {}};
    if (FindWindowA(tetravolt.windowClass, tetravolt.title)) {
        std::printf("tetravolt.exe is running already; close it first\n");
        return 1;
    }
    // Warm-up, not counted: loads the files into the cache.
    if (TimeOneStart(minimal) < 0 || TimeOneStart(tetravolt) < 0) {
        std::printf("warm-up failed (a pending reboot notice, or the program cannot start)\n");
        return 1;
    }
    for (int i = 0; i < kRuns; ++i) {
        for (Subject* subject : {&minimal, &tetravolt}) {
            double ms = TimeOneStart(*subject);
            if (ms < 0) {
                std::printf("run %d of %s failed\n", i + 1, subject->program);
                return 1;
            }
            subject->times.push_back(ms);
        }
    }
    std::printf("Time from process start until the main window exists:\n");
    Report(tetravolt);
    Report(minimal);
    std::printf("ratio tetravolt / minimal: median %.2f, mean %.2f\n",
                Median(tetravolt.times) / Median(minimal.times),
                std::accumulate(tetravolt.times.begin(), tetravolt.times.end(), 0.0) /
                    std::accumulate(minimal.times.begin(), minimal.times.end(), 0.0));
    return 0;
}
