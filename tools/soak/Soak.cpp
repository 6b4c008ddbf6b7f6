// soak.exe [MINUTES]: tetravolt.exe in the tray on the simulated board for a long run, worked
// the way a user and the suite's programs work it: mode changes through message 1055, through
// the board's own level with a suspend and resume, and through the mode buttons of the shown
// window (the dial animates); the card utility's notifications on the board pipe; the window
// shown and hidden. It prints the program's private memory, handles, threads, live GDI objects
// and CPU time at the start, every minute and at the end, and their growth per hour after the
// warm-up. Started by `./dev soak [MINUTES]` in a Wine session of its own.
#include "shell/base/PeerMessages.h"
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "sim/peers/PeerControl.h"
#include "tools/soak/Probe.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using simboard::Library;

constexpr DWORD kStartMs = 30000;
constexpr DWORD kModeDoneMs = 10000;
constexpr DWORD kStepMs = 900;  // one mode change about this often
constexpr int kShowPeriod = 24; // the window is shown every this many steps
constexpr int kShownSteps = 6;  // for this many (the dial's animation is slow)
constexpr UINT kHighPerformanceMessage = WM_USER + 31; // 1055
constexpr char kButtonRoute[] = "mode button";
constexpr WPARAM kModeChangedBroadcast = (0x23 << 8) | tv::peer::kMarker;

std::string StageDir()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

bool Launch(const std::string& program, const std::string& arguments, PROCESS_INFORMATION& info)
{
    const std::string folder = StageDir();
    const std::string path = folder + program;
    std::string commandLine = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
        std::printf("cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return false;
    }
    return true;
}

bool Running(HANDLE process)
{
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

DWORD RegistryDword(const char* path, const char* name, DWORD fallback)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path, name, RRF_RT_REG_DWORD, &type, &value, &size) !=
        ERROR_SUCCESS) {
        return fallback;
    }
    return value;
}

// A fresh machine that has shown the main window before (no first-run offer).
void PrepareRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\KALDO");
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, tv::reg::kMainKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        DWORD one = 1;
        RegSetValueExA(key, tv::reg::kNotFirstTime, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&one), sizeof one);
        RegCloseKey(key);
    }
}

struct ChildSearch
{
    HWND parent;
    POINT at;
    HWND found;
};

BOOL CALLBACK FindChildAt(HWND child, LPARAM context)
{
    auto* search = reinterpret_cast<ChildSearch*>(context);
    RECT rect;
    GetWindowRect(child, &rect);
    POINT topLeft = {rect.left, rect.top};
    ScreenToClient(search->parent, &topLeft);
    if (GetParent(child) == search->parent && topLeft.x == search->at.x &&
        topLeft.y == search->at.y) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// A click on the main window's control whose top left corner is at (x, y) of its client area.
bool ClickControlAt(HWND window, int x, int y)
{
    ChildSearch search{window, {x, y}, nullptr};
    EnumChildWindows(window, &FindChildAt, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        return false;
    }
    const LPARAM inside = MAKELPARAM(12, 12);
    PostMessageA(search.found, WM_MOUSEMOVE, 0, inside);
    PostMessageA(search.found, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(search.found, WM_LBUTTONUP, 0, inside);
    return true;
}

// Top-left corners of the controls the soak clicks (the large view).
constexpr POINT kNormalButton = {151, 385};
constexpr POINT kLowButton = {259, 385};
constexpr POINT kCloseButton = {615, 0};

struct Row
{
    double minutes;
    long modeChanges;
    soak::Figures figures;
};

void PrintHeader()
{
    std::printf("%7s %7s %12s %8s %8s %5s %10s\n", "minute", "modes", "private KiB", "handles",
                "threads", "GDI", "CPU s");
}

void PrintRow(const Row& row)
{
    std::printf("%7.1f %7ld %12.0f %8ld %8ld %5ld %10.1f\n", row.minutes, row.modeChanges,
                row.figures.privateKb, row.figures.handles, row.figures.threads,
                row.figures.gdiObjects, row.figures.cpuMs / 1000.0);
    std::fflush(stdout);
}

// Least-squares slope per hour of one figure over the rows after the warm-up.
double PerHour(const std::vector<Row>& rows, double (*figure)(const Row&))
{
    std::vector<const Row*> used;
    for (const Row& row : rows) {
        if (row.minutes >= 2.0 || rows.size() < 5) {
            used.push_back(&row);
        }
    }
    if (used.size() < 2) {
        return 0;
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Row* row : used) {
        const double x = row->minutes / 60.0, y = figure(*row);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double n = static_cast<double>(used.size());
    const double denominator = n * sxx - sx * sx;
    return denominator == 0 ? 0 : (n * sxy - sx * sy) / denominator;
}

struct Counters
{
    long requested = 0;
    long confirmed = 0;
    long viaMessage = 0, viaResume = 0, viaButton = 0;
    long shows = 0, hides = 0;
    long notifications = 0, notificationsAnswered = 0;
    long guiTimeouts = 0;
    DWORD guiMaxMs = 0;
};

// The main window answers a message: how long it took; a time-out is counted.
void PingWindow(HWND window, Counters& counters)
{
    const DWORD start = GetTickCount();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) {
        ++counters.guiTimeouts;
    }
    counters.guiMaxMs = std::max(counters.guiMaxMs, GetTickCount() - start);
}

// The mode thread set the level and then cleared "Gear_Flag".
bool WaitForModeDone(uint32_t mark, int level)
{
    const DWORD start = GetTickCount();
    uint32_t after = mark;
    for (;;) {
        auto call = simboard::WaitForCall(
            Library::OptiGear, "OptiGearSetLevel", after,
            kModeDoneMs - std::min<DWORD>(kModeDoneMs - 1, GetTickCount() - start));
        if (!call) {
            return false;
        }
        if (!call->args.empty() && call->args[0] == level) {
            break;
        }
        after = call->sequence;
    }
    while (RegistryDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 0) != 0) {
        if (GetTickCount() - start > kModeDoneMs) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::strtod(argv[1], nullptr) : 20.0;
    if (minutes <= 0) {
        std::fprintf(stderr, "usage: soak.exe [MINUTES]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    // TV_SOAK_VERBOSE=1: a line per step.
    const bool verbose = std::getenv("TV_SOAK_VERBOSE") != nullptr;
    GetDesktopWindow();

    std::string error;
    if (!simboard::Reset("default", &error)) {
        std::printf("the simulated board cannot be reset: %s\n", error.c_str());
        return 1;
    }
    PrepareRegistry();

    PROCESS_INFORMATION card = {}, program = {};
    tvsim::PeerControl cardControl(tvsim::kCardSimControl);
    if (!Launch("cardsim.exe", std::string("--control \"") + tvsim::kCardSimControl + "\"", card) ||
        !cardControl.WaitReady(10000)) {
        std::printf("cardsim.exe does not answer\n");
        return 1;
    }
    const std::string programPath = StageDir() + "tetravolt.exe";
    if (!Launch("tetravolt.exe", "", program)) {
        return 1;
    }
    HWND window = nullptr;
    for (DWORD start = GetTickCount(); !(window = FindWindowA("TMainForm", "Hexavolt"));) {
        if (GetTickCount() - start > kStartMs || !Running(program.hProcess)) {
            std::printf("tetravolt.exe shows no main window\n");
            return 1;
        }
        Sleep(50);
    }
    // The start's own mode change is over before the count begins.
    Sleep(3000);
    const UINT broadcast = RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE");

    soak::Probe probe(program.hProcess, program.dwProcessId, programPath);
    std::printf("soak: tetravolt.exe (process %lu) for %.1f minutes; memory and CPU through %s\n",
                program.dwProcessId, minutes, probe.Source());
    std::vector<Row> rows;
    Counters counters;
    PrintHeader();
    const DWORD begin = GetTickCount();
    auto sample = [&] {
        rows.push_back(
            Row{(GetTickCount() - begin) / 60000.0, counters.confirmed, probe.Measure(window)});
        PrintRow(rows.back());
    };
    sample();

    bool visible = false;
    long step = 0;
    double nextSampleMinute = 1.0;
    const DWORD endMs = static_cast<DWORD>(minutes * 60000.0);
    const DWORD cardCodes[] = {0x1001, 0x1000, 0x1001, 0};
    while (GetTickCount() - begin < endMs && Running(program.hProcess)) {
        const DWORD stepStart = GetTickCount();
        if (step % kShowPeriod == 0) {
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(window, tv::peer::kShowPeer, tv::peer::kMarker, 0, SMTO_ABORTIFHUNG,
                                5000, &answer);
            visible = true;
            ++counters.shows;
        } else if (step % kShowPeriod == kShownSteps) {
            ClickControlAt(window, kCloseButton.x, kCloseButton.y);
            visible = false;
            ++counters.hides;
        }

        // One full mode change, by the route of this step.
        const uint32_t mark = simboard::LastSequence();
        const int level = simboard::FieldValue(simboard::Field::Level);
        int target = 0;
        const char* route = "";
        if (visible && IsWindowVisible(window)) {
            // The mode buttons: the dial moves and animates.
            target = level == 2 ? 0 : 2;
            const POINT button = target == 2 ? kLowButton : kNormalButton;
            ClickControlAt(window, button.x, button.y);
            ++counters.viaButton;
            route = kButtonRoute;
        } else if (step % 3 == 0) {
            target = 0;
            PostMessageA(window, kHighPerformanceMessage, 0, 0);
            ++counters.viaMessage;
            route = "message 1055";
        } else {
            // Another program moved the board's level: the suite's broadcast, then a suspend
            // and resume, which applies the mode shown before the suspend.
            target = step % 3 == 1 ? 2 : 0x8000;
            simboard::SetField(simboard::Field::Level, target);
            PostMessageA(HWND_BROADCAST, broadcast, kModeChangedBroadcast, 0);
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_ABORTIFHUNG,
                                5000, &answer);
            SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0,
                                SMTO_ABORTIFHUNG, 5000, &answer);
            ++counters.viaResume;
            route = "board level and resume";
        }
        ++counters.requested;
        const DWORD waitStart = GetTickCount();
        const bool done = WaitForModeDone(mark, target);
        counters.confirmed += done;
        if (route == kButtonRoute) {
            // The dial's animation holds the window for about 1.7 s and drops the clicks of the
            // next 100 ms: the next step waits for it.
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
            Sleep(200);
        }
        if (verbose || !done) {
            std::printf("step %ld: %s to 0x%x %s after %lu ms\n", step, route, target,
                        done ? "done" : "NOT CONFIRMED", GetTickCount() - waitStart);
        }

        // The card utility tells the program about itself; now and then it closes and starts.
        std::string reply;
        const bool restart = step % 100 == 99;
        for (DWORD code :
             restart ? std::vector<DWORD>{1, 0} : std::vector<DWORD>{cardCodes[step % 4]}) {
            ++counters.notifications;
            if (cardControl.Send("notify " + std::to_string(code), &reply) &&
                reply.compare(0, 5, "ok 1 ") == 0) {
                ++counters.notificationsAnswered;
            }
        }
        const long timeoutsBefore = counters.guiTimeouts;
        PingWindow(window, counters);
        if (counters.guiTimeouts != timeoutsBefore) {
            std::printf("step %ld: the main window did not answer within 1 s\n", step);
        }

        if ((GetTickCount() - begin) / 60000.0 >= nextSampleMinute) {
            sample();
            nextSampleMinute += 1.0;
        }
        ++step;
        const DWORD spent = GetTickCount() - stepStart;
        Sleep(spent < kStepMs ? kStepMs - spent : 10);
    }

    const bool alive = Running(program.hProcess);
    if (alive) {
        sample();
    }
    const double elapsedMin = (GetTickCount() - begin) / 60000.0;
    std::printf("\nsoak: %.1f minutes, %ld mode changes requested, %ld confirmed (message 1055 "
                "%ld, board level and resume %ld, mode buttons %ld)\n",
                elapsedMin, counters.requested, counters.confirmed, counters.viaMessage,
                counters.viaResume, counters.viaButton);
    std::printf("soak: window shown %ld times, hidden %ld times; card notifications %ld, answered "
                "with status 1: %ld\n",
                counters.shows, counters.hides, counters.notifications,
                counters.notificationsAnswered);
    std::printf("soak: between the dial's animations the main window answered within %lu ms at "
                "most; %ld pings over 1 s\n",
                counters.guiMaxMs, counters.guiTimeouts);
    if (!alive) {
        DWORD code = 0;
        GetExitCodeProcess(program.hProcess, &code);
        std::printf("soak: tetravolt.exe ENDED during the run (exit code 0x%lx)\n", code);
        return 1;
    }
    const Row& first = rows.front();
    const Row& last = rows.back();
    std::printf("soak: start -> end: private %.0f -> %.0f KiB, handles %ld -> %ld, threads %ld -> "
                "%ld, GDI objects %ld -> %ld, CPU %.1f s (%.2f %% of one core)\n",
                first.figures.privateKb, last.figures.privateKb, first.figures.handles,
                last.figures.handles, first.figures.threads, last.figures.threads,
                first.figures.gdiObjects, last.figures.gdiObjects,
                (last.figures.cpuMs - first.figures.cpuMs) / 1000.0,
                100.0 * (last.figures.cpuMs - first.figures.cpuMs) / (elapsedMin * 60000.0));
    std::printf("soak: growth per hour after the warm-up (least squares from minute 2): private "
                "%+.0f KiB, handles %+.1f, threads %+.1f, GDI objects %+.1f\n",
                PerHour(rows, [](const Row& r) { return r.figures.privateKb; }),
                PerHour(rows, [](const Row& r) { return double(r.figures.handles); }),
                PerHour(rows, [](const Row& r) { return double(r.figures.threads); }),
                PerHour(rows, [](const Row& r) { return double(r.figures.gdiObjects); }));

    PostMessageA(window, tv::peer::kClose, tv::peer::kMarker, 0);
    if (WaitForSingleObject(program.hProcess, 15000) != WAIT_OBJECT_0) {
        std::printf("soak: tetravolt.exe did not end on message 1024; killed\n");
        TerminateProcess(program.hProcess, 1);
    }
    cardControl.Send("quit");
    WaitForSingleObject(card.hProcess, 10000);
    return counters.confirmed == counters.requested ? 0 : 1;
}
