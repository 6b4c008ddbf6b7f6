// tetravolt.exe on the simulated board, its calibration driven from outside through the main
// window and the dialogs as a user drives it: Auto on an uncalibrated board declined, a
// calibration cancelled and one run to its end under the real load of Calibrate.dll, with the
// suite's window paused and resumed each time.
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/shell/ShellTrayRecorder.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <cstring>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using simboard::Library;
using tvtest::Process;

constexpr char kProgram[] = "tetravolt.exe";
constexpr DWORD kStartMs = 30000;
constexpr char kEnergyRead[] = "OptiGearGetItem(0x0E0B0013)";
// The cover's colour (red 89, green 81, blue 60) as a screen pixel.
constexpr DWORD kCoverPixel = 0x59513C;
constexpr int32_t kGearLevelItem = 0x0B060001;
constexpr UINT kPause = WM_USER + 1;
constexpr UINT kResume = WM_USER + 3;
// The default board's controller type (0xF001) calibrates in 200 steps of 200 ms.
constexpr DWORD kCalibrationMs = 40000;

struct ChildSearch
{
    HWND parent;
    POINT position;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM context)
{
    auto* search = reinterpret_cast<ChildSearch*>(context);
    RECT rect;
    GetWindowRect(child, &rect);
    POINT topLeft = {rect.left, rect.top};
    ScreenToClient(search->parent, &topLeft);
    if (topLeft.x == search->position.x && topLeft.y == search->position.y) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// The control window at its design position in a window of the program.
HWND ChildAt(HWND window, int left, int top)
{
    ChildSearch search = {window, {left, top}, nullptr};
    EnumChildWindows(window, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND control)
{
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
}

// Clicks until the click shows its effect: the main window drops clicks for a moment after the
// dial's animation, as it should.
template <typename Effect> bool ClickUntil(HWND control, Effect effect, DWORD timeoutMs = 10000)
{
    const DWORD start = GetTickCount();
    do {
        Click(control);
        if (tvtest::WaitUntil(effect, 1500)) {
            return true;
        }
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

bool Showing(const char* className)
{
    HWND window = FindWindowA(className, nullptr);
    return window && IsWindowVisible(window);
}

HWND WaitShown(const char* className, DWORD timeoutMs = 10000)
{
    HWND window = nullptr;
    tvtest::WaitUntil(
        [&] {
            window = FindWindowA(className, nullptr);
            return window && IsWindowVisible(window);
        },
        timeoutMs);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// The pixels of a screen rectangle, rows top-down.
std::vector<DWORD> Capture(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    std::vector<DWORD> picture(pixels, pixels + size_t(width) * height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

// Threads of the process that began in the named module of it (the load generator's workers).
int ThreadsStartedIn(DWORD processId, const char* moduleName)
{
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kWin32StartAddress = 9;
    static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (!query || modules == INVALID_HANDLE_VALUE) {
        return -1;
    }
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    const BYTE* base = nullptr;
    DWORD size = 0;
    for (BOOL more = Module32First(modules, &module); more; more = Module32Next(modules, &module)) {
        if (lstrcmpiA(module.szModule, moduleName) == 0) {
            base = module.modBaseAddr;
            size = module.modBaseSize;
        }
    }
    CloseHandle(modules);
    if (!base) {
        return 0;
    }
    HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (threads == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(threads, &entry); more; more = Thread32Next(threads, &entry)) {
        if (entry.th32OwnerProcessID != processId) {
            continue;
        }
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        void* start = nullptr;
        if (thread && query(thread, kWin32StartAddress, &start, sizeof start, nullptr) == 0) {
            const BYTE* at = static_cast<const BYTE*>(start);
            count += at >= base && at < base + size ? 1 : 0;
        }
        if (thread) {
            CloseHandle(thread);
        }
    }
    CloseHandle(threads);
    return count;
}

std::optional<double> ReadDouble(const char* path, const char* name)
{
    const tvtest::RawValue value = tvtest::ReadRaw(path, name);
    if (!value.exists || value.type != REG_BINARY || value.data.size() != sizeof(double)) {
        return std::nullopt;
    }
    double number = 0;
    memcpy(&number, value.data.data(), sizeof number);
    return number;
}

class CalibrationProgramTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        ASSERT_EQ(simboard::FieldValue(simboard::Field::CpuLoad), -1) << "the machine's real load";
        m_tray = std::make_unique<tvtest::ShellTrayRecorder>();
        ASSERT_TRUE(m_tray->Ready());
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
        ASSERT_TRUE(m_suite.Start("TMainForm", "Opti Suite", false));
    }
    void TearDown() override
    {
        if (m_process.Running()) {
            PostMessageA(m_window, WM_USER, 85, 0);
            m_process.Wait(kStartMs);
        }
        m_suite.Stop();
        m_tray.reset();
        CleanRegistryTest::TearDown();
    }

    void StartAndShow()
    {
        ASSERT_TRUE(m_process.Start(kProgram));
        ASSERT_TRUE(tvtest::WaitUntil(
            [&] { return (m_window = FindWindowA("TMainForm", "Hexavolt")) != nullptr; },
            kStartMs));
        tvtest::SendWithin(m_window, WM_USER + 2, 85, 0);
        ASSERT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 10000));
    }
    HWND Button(int left, int top)
    {
        HWND button = ChildAt(m_window, left, top);
        EXPECT_NE(nullptr, button) << "no button at " << left << ", " << top;
        return button;
    }
    // The mode buttons, the gear above them and the top of the chart beside them.
    std::vector<DWORD> Dial()
    {
        RECT window;
        GetWindowRect(m_window, &window);
        return Capture({window.left + 30, window.top + 340, window.left + 655, window.top + 432});
    }
    // The dial once it has come to rest (its animation takes about 1.7 s).
    std::vector<DWORD> SteadyDial()
    {
        std::vector<DWORD> last = Dial();
        tvtest::WaitUntil(
            [&] {
                Sleep(250);
                std::vector<DWORD> now = Dial();
                const bool same = now == last;
                last = std::move(now);
                return same;
            },
            5000);
        return last;
    }
    // Waits until the dial shows that picture again; false when it does not within 5 s.
    bool DialBackTo(const std::vector<DWORD>& picture)
    {
        return tvtest::WaitUntil([&] { return Dial() == picture; }, 5000);
    }
    // Answers the generic dialog: left (146, 104) or right (277, 104).
    void Answer(int left)
    {
        HWND dialog = WaitShown("TUniversalDialog");
        ASSERT_NE(nullptr, dialog) << "no question";
        HWND button = ChildAt(dialog, left, 104);
        ASSERT_NE(nullptr, button);
        Click(button);
        ASSERT_TRUE(tvtest::WaitUntil([&] { return !Showing("TUniversalDialog"); }, 10000));
    }
    DWORD AdvanceDword(const char* name)
    {
        return tvtest::ReadRawDword(tv::reg::kAdvanceKey, name, 0xFFFF);
    }
    // The gear levels set since mark: "level N" applied fully, "item N" the level only.
    static std::vector<std::string> LevelsSince(uint32_t mark)
    {
        std::vector<std::string> levels;
        for (const simboard::JournalEntry& call :
             simboard::ReadJournal(mark).Calls(Library::OptiGear)) {
            if (call.function == "OptiGearSetLevel" && call.args.size() == 1) {
                levels.push_back("level " + std::to_string(call.args[0]));
            } else if (call.function == "OptiGearSetItem" && call.args.size() == 2 &&
                       call.args[0] == kGearLevelItem) {
                levels.push_back("item " + std::to_string(call.args[1]));
            }
        }
        return levels;
    }
    std::vector<UINT> SuiteMessages()
    {
        std::vector<UINT> messages;
        for (const simpeer::PeerMessage& message : m_suite.Messages()) {
            EXPECT_EQ(85u, message.wParam);
            EXPECT_EQ(0, message.lParam);
            messages.push_back(message.message);
        }
        return messages;
    }

    std::unique_ptr<tvtest::ShellTrayRecorder> m_tray;
    simpeer::PeerWindow m_suite;
    Process m_process;
    HWND m_window = nullptr;
};

TEST_F(CalibrationProgramTest, AutoDeclinedCalibrationCancelledThenCompletedUnderRealLoad)
{
    using Levels = std::vector<std::string>;
    StartAndShow();
    HWND autoButton = Button(42, 385);
    HWND lowButton = Button(259, 385);
    HWND calibrateButton = Button(178, 433);
    ASSERT_TRUE(autoButton && lowButton && calibrateButton);
    uint32_t mark = simboard::LastSequence();
    ASSERT_TRUE(ClickUntil(lowButton, [&] { return !LevelsSince(mark).empty(); }));
    ASSERT_EQ(LevelsSince(mark), Levels{"level 2"});
    const std::vector<DWORD> maxSaving = SteadyDial();

    // Auto on a board never calibrated: the offer, without the cover; "Exit" leaves Max power
    // saving in force and the dial on it.
    mark = simboard::LastSequence();
    ASSERT_TRUE(ClickUntil(autoButton, [] { return Showing("TUniversalDialog"); }));
    EXPECT_FALSE(Showing("TCoverDialog"));
    Answer(277);
    EXPECT_TRUE(DialBackTo(maxSaving)) << "the dial back on Max power saving";
    EXPECT_TRUE(LevelsSince(mark).empty());
    EXPECT_TRUE(m_suite.Messages().empty()) << "no calibration, no pause";

    // The settings changed since: Auto offers a calibration behind the cover; cancelled once it
    // runs, the level before it comes back, Auto is not applied, the calibration stays needed.
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kCalibrationNeeded, 1));
    mark = simboard::LastSequence();
    ASSERT_TRUE(ClickUntil(autoButton, [] { return Showing("TUniversalDialog"); }));
    EXPECT_TRUE(Showing("TCoverDialog"));
    Sleep(6000);
    Answer(146);
    HWND progress = WaitShown("TProgressDialog");
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(tvtest::WaitUntil([&] { return LevelsSince(mark) == Levels{"item 0"}; }, 10000));
    EXPECT_EQ(1u, AdvanceDword(tv::reg::kCalibrationFlag));
    ASSERT_TRUE(m_suite.WaitForMessages(1, 5000));
    HWND cancel = ChildAt(progress, 272, 104);
    ASSERT_NE(nullptr, cancel);
    Click(cancel);
    ASSERT_TRUE(tvtest::WaitUntil([&] { return !Showing("TProgressDialog"); }, 10000));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return !Showing("TCoverDialog"); }, 5000));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return LevelsSince(mark).size() == 2; }, 10000));
    EXPECT_EQ(LevelsSince(mark), (Levels{"item 0", "item 2"}));
    EXPECT_TRUE(DialBackTo(maxSaving)) << "the dial back on Max power saving";
    EXPECT_EQ(0u, AdvanceDword(tv::reg::kCalibrationFlag));
    EXPECT_EQ(1u, AdvanceDword(tv::reg::kCalibrationNeeded));
    EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kThreshold1).exists);
    ASSERT_TRUE(m_suite.WaitForMessages(2, 5000));
    EXPECT_EQ(SuiteMessages(), (std::vector<UINT>{kPause, kResume}));

    // The calibrate button: the whole run under the load of Calibrate.dll, max(processors, 4)
    // threads of it, nothing booked meanwhile.
    mark = simboard::LastSequence();
    ASSERT_TRUE(ClickUntil(calibrateButton, [] { return Showing("TUniversalDialog"); }));
    EXPECT_TRUE(Showing("TCoverDialog"));
    Sleep(6000);
    Answer(146);
    ASSERT_NE(nullptr, WaitShown("TProgressDialog"));
    const DWORD begun = GetTickCount();
    ASSERT_TRUE(
        tvtest::WaitUntil([&] { return AdvanceDword(tv::reg::kCalibrationFlag) == 1; }, 5000));
    const std::optional<double> savedBefore = ReadDouble(tv::reg::kQemMbKey, tv::reg::kTotalSaving);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const int loadThreads = std::max<int>(system.dwNumberOfProcessors, 4);
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] { return ThreadsStartedIn(m_process.Id(), "Calibrate.dll") == loadThreads; },
        kCalibrationMs))
        << "the load of the second half";
    // The cover stays over the main window for the whole run (this display blends nothing).
    RECT window;
    GetWindowRect(m_window, &window);
    const std::vector<DWORD> covered =
        Capture({window.left + 30, window.top + 130, window.left + 90, window.top + 170});
    EXPECT_EQ(size_t(std::count(covered.begin(), covered.end(), kCoverPixel)), covered.size());
    ASSERT_TRUE(tvtest::WaitUntil([&] { return !Showing("TProgressDialog"); }, 2 * kCalibrationMs));
    const uint32_t finished = simboard::LastSequence();
    EXPECT_GE(GetTickCount() - begun, kCalibrationMs - 1000);
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] { return ThreadsStartedIn(m_process.Id(), "Calibrate.dll") == 0; }, 5000));
    const simboard::Journal run = simboard::ReadJournal(mark);
    const auto first = run.Find(Library::OptiGear, "OptiGearSetItem", mark);
    ASSERT_TRUE(first);
    const auto tick = run.Find(Library::OptiGear, kEnergyRead, first->sequence);
    EXPECT_FALSE(tick && tick->sequence < finished) << "an energy tick while calibrating";
    EXPECT_EQ(savedBefore, ReadDouble(tv::reg::kQemMbKey, tv::reg::kTotalSaving));

    // Stored: the phase results (the loaded ones near the board's full draw) and the thresholds;
    // the flags cleared; High performance for the run, the four phases' levels, then the level
    // before it; the suite resumed.
    EXPECT_EQ(0u, AdvanceDword(tv::reg::kCalibrationNeeded));
    EXPECT_EQ(0u, AdvanceDword(tv::reg::kCalibrationFlag));
    const DWORD fullLoadMilliamps = 95000 * 1000 / 1250;
    const DWORD normHigh = tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kNormHigh, 0);
    EXPECT_GT(normHigh, fullLoadMilliamps * 9 / 10);
    EXPECT_GT(normHigh, tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kPowerSavingHigh, ~0u));
    const DWORD t1 = tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kThreshold1, 0);
    const DWORD t2 = tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kThreshold2, 0);
    EXPECT_GT(t1, 0u);
    EXPECT_TRUE(t2 == t1 + 100 || t2 == t1 + 2000) << t1 << " " << t2;
    EXPECT_EQ(t1, tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kThreshold3, 0));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return LevelsSince(mark).size() >= 6; }, 10000));
    EXPECT_EQ(LevelsSince(mark),
              (Levels{"item 0", "item 2", "item 0", "item 2", "item 0", "item 2"}));
    EXPECT_TRUE(DialBackTo(maxSaving)) << "the dial on the level given back";
    ASSERT_TRUE(m_suite.WaitForMessages(4, 5000));
    EXPECT_EQ(SuiteMessages(), (std::vector<UINT>{kPause, kResume, kPause, kResume}));

    // The energy figures move again.
    EXPECT_TRUE(simboard::WaitForCall(Library::OptiGear, kEnergyRead, finished, 7000));
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] { return ReadDouble(tv::reg::kQemMbKey, tv::reg::kTotalSaving) > savedBefore; }, 7000));

    // Calibrated: Auto is applied without a question.
    mark = simboard::LastSequence();
    EXPECT_TRUE(ClickUntil(autoButton, [&] { return !LevelsSince(mark).empty(); }));
    EXPECT_EQ(LevelsSince(mark), (Levels{"level 32768"}));
    EXPECT_FALSE(Showing("TUniversalDialog"));
    PostMessageA(m_window, WM_USER, 85, 0);
    EXPECT_EQ(0, m_process.Wait(kStartMs));
}

} // namespace
