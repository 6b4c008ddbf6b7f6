// tetravolt.exe on the simulated board, driven from outside as the shell, the suite's utilities
// and Windows drive it: its start-up mode, timers, window messages, the board pipe, the tray
// icon (through a stand-in notification area) and its window on the screen.
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "tests/shell/ShellTrayRecorder.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using simboard::Library;
using tvtest::Process;
using tvtest::ShellTrayRecorder;

constexpr char kProgram[] = "tetravolt.exe";
constexpr DWORD kStartMs = 30000;
constexpr char kHighPerformanceLevelItem[] = "OptiGearSetItem(0x0B060001, 0)";
constexpr char kEngineClosed[] = "OptiGearSetItem(0x0B060002, 0)";
constexpr UINT kExitCommand = 0x7E03;
constexpr UINT kTrayCallback = WM_USER + 200;

DWORD CheckSafeFlag()
{
    return tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kCheckSafeFlag, 0xFFFF);
}

// Whether any request the notification area got holds the text.
bool TrayShowed(const ShellTrayRecorder& tray, const std::string& text, bool whole = false)
{
    std::vector<ShellTrayRecorder::Request> requests = tray.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [&](const ShellTrayRecorder::Request& r) { return r.Holds(text, whole); });
}

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

// The control window of the main window at its design position.
HWND ChildAt(HWND window, int left, int top)
{
    ChildSearch search = {window, {left, top}, nullptr};
    EnumChildWindows(window, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the screen shows in a rectangle.
struct ScreenPicture
{
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // 0x00RRGGBB, rows top-down

    COLORREF At(int x, int y) const
    {
        const DWORD p = pixels[size_t(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of exactly that colour in the box.
    int Count(const RECT& box, COLORREF colour) const
    {
        int count = 0;
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }
};

ScreenPicture Capture(const RECT& area)
{
    ScreenPicture picture;
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top,
           SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const DWORD* source = static_cast<const DWORD*>(bits);
    picture.pixels.assign(source, source + size_t(picture.width) * picture.height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

class MainProgramTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        m_trayOwner = std::make_unique<ShellTrayRecorder>(RefusedAdds());
        ASSERT_TRUE(m_trayOwner->Ready());
        // No first-run offer: these tests are about the controller, not the dialogs.
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    }
    void TearDown() override
    {
        if (m_process.Running()) {
            PostMessageA(m_window, WM_USER, 85, 0);
            m_process.Wait(kStartMs);
        }
        m_trayOwner.reset();
        CleanRegistryTest::TearDown();
    }

    // Starts the program and waits until its start operation has put up the tray icon.
    void Start(const std::string& arguments = std::string())
    {
        m_mark = simboard::LastSequence();
        ASSERT_TRUE(m_process.Start(kProgram, arguments));
        ASSERT_TRUE(tvtest::WaitUntil(
            [&] {
                m_window = FindWindowA("TMainForm", "Hexavolt");
                return (m_window && Tray().Count(NIM_ADD) > 0) || !m_process.Running();
            },
            kStartMs))
            << "no main window and tray icon";
        ASSERT_TRUE(m_process.Running());
    }
    long Close()
    {
        PostMessageA(m_window, WM_USER, 85, 0);
        return m_process.Wait(kStartMs);
    }
    std::optional<simboard::JournalEntry> WaitForCall(const std::string& call,
                                                      DWORD timeoutMs = 10000)
    {
        return simboard::WaitForCall(Library::OptiGear, call, m_mark, timeoutMs);
    }
    bool Called(const std::string& call)
    {
        return simboard::ReadJournal(m_mark).Find(Library::OptiGear, call, m_mark).has_value();
    }

    // How many NIM_ADD requests the notification area turns down first.
    virtual int RefusedAdds() const { return 0; }

    ShellTrayRecorder& Tray() { return *m_trayOwner; }

    std::unique_ptr<ShellTrayRecorder> m_trayOwner;
    Process m_process;
    HWND m_window = nullptr;
    uint32_t m_mark = 0;
};

// The one test that waits the real minute of the boot restore; the energy ticks of that minute
// are checked on the way.
TEST_F(MainProgramTest, BootStartRestoresTheLastModeAMinuteLater)
{
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 2));
    Start("-b");
    auto highPerformance = WaitForCall(kHighPerformanceLevelItem);
    ASSERT_TRUE(highPerformance) << "High performance at once, the level only";
    EXPECT_EQ(1u, CheckSafeFlag());
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] { return TrayShowed(Tray(), "Mode: Max power saving\n", false); }, 5000))
        << "the tray shows the mode to come";
    EXPECT_FALSE(Called("OptiGearSetLevel"));

    auto restore = WaitForCall("OptiGearSetLevel(2)", 75000);
    ASSERT_TRUE(restore) << "no restore within 75 s";
    const int64_t after = simboard::MsBetween(*highPerformance, *restore);
    EXPECT_GE(after, 59500);
    EXPECT_LE(after, 64000);
    EXPECT_EQ(2u, tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 0));
    EXPECT_EQ(1u, CheckSafeFlag()) << "stays set for the rest of the logon";

    // The energy tick read the power every 5 s meanwhile and stored the figures.
    std::vector<simboard::JournalEntry> reads;
    for (const auto& call :
         simboard::ReadJournal(m_mark).Calls(Library::OptiGear, "OptiGearGetItem")) {
        if (call.Signature() == "OptiGearGetItem(0x0E0B0013)") {
            reads.push_back(call);
        }
    }
    ASSERT_GE(reads.size(), 11u);
    for (size_t i = 1; i < reads.size(); ++i) {
        const int64_t gap = simboard::MsBetween(reads[i - 1], reads[i]);
        EXPECT_GE(gap, 4500) << i;
        EXPECT_LE(gap, 5800) << i;
    }
    const tvtest::RawValue power = tvtest::ReadRaw(tv::reg::kQemMbKey, tv::reg::kCurrentPower);
    EXPECT_TRUE(power.exists && power.type == REG_BINARY && power.data.size() == 8);
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] { return TrayShowed(Tray(), "Max power saving is now active."); }, 5000))
        << "the balloon tells the restored mode";
    EXPECT_EQ(0, Close());
}

TEST_F(MainProgramTest, BootStartsThatMustNotRestoreStayInHighPerformance)
{
    struct Case
    {
        const char* what;
        DWORD checkSafe;
        DWORD lastMode;
    };
    // An earlier restore never confirmed; Auto on a board without calibration.
    const Case cases[] = {{"unconfirmed restore", 1, 2}, {"Auto uncalibrated", 0, 0x8000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tvtest::WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kCheckSafeFlag, c.checkSafe);
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kLastMode, c.lastMode);
        Tray().Clear();
        Start("-b");
        ASSERT_TRUE(WaitForCall(kHighPerformanceLevelItem));
        EXPECT_EQ(0u, CheckSafeFlag());
        EXPECT_TRUE(tvtest::WaitUntil(
            [&] { return TrayShowed(Tray(), "Mode: High performance\n", false); }, 5000));
        EXPECT_FALSE(TrayShowed(Tray(), "Mode: Max power saving\n", false));
        EXPECT_FALSE(TrayShowed(Tray(), "Mode: Auto\n", false));
        EXPECT_EQ(0, Close());
        EXPECT_FALSE(Called("OptiGearSetLevel")) << "nothing restored";
        // At its end the gear engine goes back to the board.
        auto level =
            simboard::ReadJournal(m_mark).FindLast(Library::OptiGear, kHighPerformanceLevelItem);
        auto engine = simboard::ReadJournal(m_mark).FindLast(Library::OptiGear, kEngineClosed);
        ASSERT_TRUE(level && engine);
        EXPECT_TRUE(simboard::InOrder(*level, *engine));
    }
}

TEST_F(MainProgramTest, PowerEventsSessionEndAndPeerRequests)
{
    Start();
    ASSERT_TRUE(WaitForCall(kHighPerformanceLevelItem));
    EXPECT_EQ(0u, CheckSafeFlag()) << "a normal start clears it";

    // 1055: High performance, fully.
    m_mark = simboard::LastSequence();
    tvtest::SendWithin(m_window, WM_USER + 31, 0, 0);
    EXPECT_TRUE(WaitForCall("OptiGearSetLevel(0)"));

    // Suspended in Max power saving, resumed elsewhere: the mode shown before comes back.
    ASSERT_TRUE(simboard::SetField(simboard::Field::Level, 2));
    tvtest::SendWithin(m_window, WM_POWERBROADCAST, 4, 0);
    ASSERT_TRUE(simboard::SetField(simboard::Field::Level, 0));
    m_mark = simboard::LastSequence();
    tvtest::SendWithin(m_window, WM_POWERBROADCAST, 7, 0);
    EXPECT_TRUE(WaitForCall("OptiGearSetLevel(2)"));

    // The session ends: the flag is cleared and the gear engine handed back.
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kCheckSafeFlag, 1);
    m_mark = simboard::LastSequence();
    tvtest::SendWithin(m_window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(0u, CheckSafeFlag());
    auto level = WaitForCall(kHighPerformanceLevelItem);
    auto engine = WaitForCall(kEngineClosed);
    ASSERT_TRUE(level && engine);
    EXPECT_TRUE(simboard::InOrder(*level, *engine));

    // A broadcast of the suite with a foreign marker is no command.
    const UINT broadcast = RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE");
    tvtest::SendWithin(m_window, WM_USER + 3, 86, 0);
    tvtest::SendWithin(FindWindowA("TApplication", "Tetravolt Core"), broadcast, 0x2356, 5);
    EXPECT_FALSE(IsWindowVisible(m_window));
    EXPECT_TRUE(m_process.Running());
    EXPECT_EQ(0, Close());
}

TEST_F(MainProgramTest, CardUtilityNotificationsReachTheMonitor)
{
    Start();
    HWND cardButton = ChildAt(m_window, 213, 77);
    ASSERT_NE(nullptr, cardButton);
    EXPECT_TRUE(IsWindowEnabled(cardButton)) << "no card utility: the button leads to the notice";
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    const uint32_t mark = simboard::LastSequence();

    // 0: the utility started. Its capabilities and savings are asked for; it saves energy.
    ASSERT_TRUE(card.Control().Send("notify 0"));
    EXPECT_TRUE(card.Control().WaitForRequest(0x10001003, mark, 10000));
    EXPECT_TRUE(card.Control().WaitForRequest(0x10001004, mark, 10000));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return !IsWindowEnabled(cardButton); }, 5000));

    // 0x1000: synchronisation switched on: the board's mode goes to the card.
    ASSERT_TRUE(card.Control().Send("sync on"));
    const uint32_t syncMark = simboard::LastSequence();
    ASSERT_TRUE(card.Control().Send("notify 0x1000"));
    auto setMode = card.Control().WaitForRequest(0x10001001, syncMark, 10000);
    ASSERT_TRUE(setMode);
    EXPECT_EQ(0u, setMode->Word(1)) << "High performance";

    // 0x1001: the card's own mode is asked for.
    const uint32_t modeMark = simboard::LastSequence();
    ASSERT_TRUE(card.Control().Send("notify 0x1001"));
    EXPECT_TRUE(card.Control().WaitForRequest(0x10001002, modeMark, 10000));

    // 1: the utility ends; the button leads to the notice again.
    ASSERT_TRUE(card.Control().Send("notify 1"));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowEnabled(cardButton) != FALSE; }, 5000));
    EXPECT_EQ(0, Close());
}

class RefusingShellTest : public MainProgramTest
{
protected:
    int RefusedAdds() const override { return 1; }
};

TEST_F(RefusingShellTest, TrayIconTipsShowAndExitInHighPerformance)
{
    Start();
    // The shell refused the first add: added again, version 3 asked for.
    EXPECT_TRUE(Tray().WaitFor(NIM_ADD, 2, 5000));
    EXPECT_TRUE(Tray().WaitFor(NIM_SETVERSION, 1, 5000));
    for (const auto& request : Tray().Requests()) {
        EXPECT_EQ(m_window, request.window);
        EXPECT_EQ(1u, request.id);
        if (request.message == NIM_ADD) {
            EXPECT_EQ(kTrayCallback, request.callbackMessage);
        }
    }

    // The pointer on the icon: the tip with the balloon once the tip timer of the start has
    // run out, then nothing new while the timer runs again.
    const std::string balloon = "High performance is now active.";
    auto balloons = [&] {
        size_t count = 0;
        for (const auto& request : Tray().Requests()) {
            count += request.message == NIM_MODIFY && request.Holds(balloon) ? 1 : 0;
        }
        return count;
    };
    // The start's own balloon first (the mode in force).
    ASSERT_TRUE(tvtest::WaitUntil([&] { return balloons() > 0; }, 5000));
    ASSERT_TRUE(tvtest::WaitUntil(
        [&] {
            Tray().Clear();
            PostMessageA(m_window, kTrayCallback, 1, WM_MOUSEMOVE);
            Sleep(300);
            return balloons() > 0;
        },
        10000));
    for (const auto& request : Tray().Requests()) {
        if (request.Holds(balloon)) {
            EXPECT_TRUE(request.flags & NIF_INFO);
            EXPECT_TRUE(request.Holds("Tetravolt Core"));
            EXPECT_TRUE(request.Holds("Mode: High performance\nCPU: ", false));
        }
    }
    PostMessageA(m_window, kTrayCallback, 1, WM_MOUSEMOVE);
    Sleep(500);
    EXPECT_EQ(1u, balloons()) << "the tip timer runs";

    // The shell restarted: the icon comes back.
    const size_t adds = Tray().Count(NIM_ADD);
    tvtest::SendWithin(m_window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Tray().WaitFor(NIM_ADD, adds + 1, 5000));

    // A double click shows the window.
    PostMessageA(m_window, kTrayCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 5000));

    // "Exit" in High performance: no question, High performance once more, then the end.
    m_mark = simboard::LastSequence();
    PostMessageA(m_window, WM_COMMAND, kExitCommand, 0);
    bool asked = false;
    tvtest::WaitUntil(
        [&] {
            HWND dialog = FindWindowA("TUniversalDialog", nullptr);
            asked = asked || (dialog && IsWindowVisible(dialog));
            return !m_process.Running();
        },
        kStartMs);
    EXPECT_FALSE(asked);
    EXPECT_EQ(0, m_process.Wait(0));
    auto apply = simboard::ReadJournal(m_mark).Find(Library::OptiGear, "OptiGearSetLevel(0)");
    auto engine = simboard::ReadJournal(m_mark).Find(Library::OptiGear, kEngineClosed);
    ASSERT_TRUE(apply && engine);
    EXPECT_TRUE(simboard::InOrder(*apply, *engine));
    EXPECT_EQ(1u, Tray().Count(NIM_DELETE));
}

} // namespace

namespace {

// The window as the screen shows it, large and small: cut to its outline (what lies behind shows
// through outside it), its labels in their colours at their places, the band of the figures
// gone in the small view.
TEST_F(MainProgramTest, LargeAndSmallViewOnTheScreen)
{
    Start();
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 665) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 522) / 2;
    const RECT area = {left, top, left + 665, top + 522};
    const ScreenPicture behind = Capture(area);
    EXPECT_FALSE(tvtest::HasModule(m_process.Id(), "pngio.dll"))
        << "the dial's pictures are read when the window first appears, not in the tray";
    tvtest::SendWithin(m_window, WM_USER + 2, 85, 0);
    ASSERT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 5000));
    Sleep(700);
    RECT placed;
    GetWindowRect(m_window, &placed);
    EXPECT_EQ(left, placed.left) << "centred on the screen";
    EXPECT_EQ(top, placed.top);
    EXPECT_EQ(665, placed.right - placed.left);
    EXPECT_EQ(522, placed.bottom - placed.top);

    ScreenPicture large = Capture(area);
    for (POINT corner : {POINT{0, 0}, POINT{664, 0}, POINT{0, 521}, POINT{664, 521}}) {
        EXPECT_EQ(behind.At(corner.x, corner.y), large.At(corner.x, corner.y))
            << "corner " << corner.x << "," << corner.y << " is cut away";
    }
    EXPECT_NE(RGB(255, 0, 255), large.At(332, 300)) << "no key colour inside";
    const RECT modeTitle = {44, 289, 160, 306};
    EXPECT_GE(large.Count(modeTitle, 0x302A1D), 20) << "Mode Setting";
    EXPECT_GE(large.Count({58, 205, 260, 222}, 0xDBDAD8), 20) << "the CO2 title";
    EXPECT_GE(large.Count({299, 236, 460, 253}, 0x00FF9E), 20) << "the date";
    EXPECT_GE(large.Count({43, 313, 274, 332}, 0xE9B572), 10) << "the mode's name";
    int chartBlue = 0;
    for (int y = 345; y < 441; ++y) {
        for (int x = 439; x < 535; ++x) {
            const COLORREF pixel = large.At(x, y);
            chartBlue += GetBValue(pixel) > GetRValue(pixel) + 40 ? 1 : 0;
        }
    }
    EXPECT_GE(chartBlue, 300) << "the mode's profile on the chart";

    HWND shrink = ChildAt(m_window, 25, 196);
    ASSERT_NE(nullptr, shrink);
    PostMessageA(shrink, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(shrink, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ScreenPicture small;
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] {
            small = Capture(area);
            return small.Count({299, 236, 460, 253}, 0x00FF9E) == 0;
        },
        5000))
        << "the date goes with its band";
    Sleep(300);
    small = Capture(area);
    EXPECT_GE(small.Count({44, 256, 160, 273}, 0x302A1D), 20) << "Mode Setting, 33 higher";
    EXPECT_GE(small.Count({58, 205, 260, 222}, 0xDBDAD8), 20) << "the CO2 title stays";
    for (int x : {10, 200, 400, 654}) {
        EXPECT_EQ(behind.At(x, 510), small.At(x, 510)) << "the bottom rows are cut away, x " << x;
    }
    EXPECT_EQ(0, Close());
}

} // namespace

namespace {

// The first run: a second instance started at once (before the start has ended) still gets the
// calibration offer first; "Exit" in it shows the window without calibrating.
TEST_F(MainProgramTest, FirstRunOfferComesFirstAlsoForAnEarlySecondInstance)
{
    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kMainKey, tv::reg::kNotFirstTime));
    m_mark = simboard::LastSequence();
    ASSERT_TRUE(m_process.Start(kProgram));
    ASSERT_TRUE(tvtest::WaitUntil(
        [&] { return (m_window = FindWindowA("TMainForm", "Hexavolt")) != nullptr; }, kStartMs));
    Process second;
    ASSERT_TRUE(second.Start(kProgram));

    HWND dialog = nullptr;
    ASSERT_TRUE(tvtest::WaitUntil(
        [&] {
            dialog = FindWindowA("TUniversalDialog", nullptr);
            return dialog && IsWindowVisible(dialog);
        },
        kStartMs))
        << "no calibration offer";
    EXPECT_FALSE(IsWindowVisible(m_window)) << "the offer comes before the window";
    EXPECT_EQ(1u, tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 0));

    HWND exitButton = ChildAt(dialog, 277, 104);
    ASSERT_NE(nullptr, exitButton);
    PostMessageA(exitButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(exitButton, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 10000));
    EXPECT_EQ(0, second.Wait(kStartMs)) << "the second instance hands over and ends";
    HWND progress = FindWindowA("TProgressDialog", nullptr);
    EXPECT_FALSE(progress && IsWindowVisible(progress)) << "no calibration";
    EXPECT_EQ(0, Close());
}

TEST_F(MainProgramTest, ASecondInstanceEndsWhileTheFirstRunOfferWaitsForItsAnswer)
{
    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kMainKey, tv::reg::kNotFirstTime));
    Start();
    // The start is over once the tray shows the first mode.
    ASSERT_TRUE(tvtest::WaitUntil([&] { return Tray().Count(NIM_MODIFY) > 0; }, kStartMs));
    Process second;
    ASSERT_TRUE(second.Start(kProgram));
    HWND dialog = nullptr;
    ASSERT_TRUE(tvtest::WaitUntil(
        [&] {
            dialog = FindWindowA("TUniversalDialog", nullptr);
            return dialog && IsWindowVisible(dialog);
        },
        kStartMs))
        << "no calibration offer";
    EXPECT_EQ(0, second.Wait(10000)) << "the hand-over does not wait for the user's answer";
    HWND exitButton = ChildAt(dialog, 277, 104);
    ASSERT_NE(nullptr, exitButton);
    PostMessageA(exitButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(exitButton, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 10000));
    EXPECT_EQ(0, Close());
}

TEST_F(MainProgramTest, ACloseCommandDuringAModeChangeLetsTheChangeEndFirst)
{
    Start();
    ASSERT_TRUE(tvtest::WaitUntil([&] { return Tray().Count(NIM_MODIFY) > 0; }, kStartMs));
    // A suite utility asks for High performance, then closes the program while the board is
    // slow to take the level.
    ASSERT_TRUE(simboard::SetCallDelay(Library::OptiGear, "OptiGearSetLevel", 2000));
    m_mark = simboard::LastSequence();
    PostMessageA(m_window, WM_USER + 31, 0, 0);
    ASSERT_TRUE(WaitForCall("OptiGearSetLevel(0)"));
    EXPECT_EQ(0, Close());
    simboard::ClearCallDelays();
    EXPECT_EQ(0u, tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 99))
        << "the change ended before the process did: the next start is no crash recovery";
    // The gear engine was handed back after the change, not before it.
    const simboard::Journal journal = simboard::ReadJournal(m_mark);
    const auto level = journal.Find(Library::OptiGear, "OptiGearSetLevel(0)", m_mark);
    ASSERT_TRUE(level.has_value());
    bool handedBack = false;
    for (const simboard::JournalEntry& call : journal.Calls(Library::OptiGear, "OptiGearSetItem")) {
        handedBack |= call.sequence > level->sequence && !call.args.empty() &&
                      call.args[0] == 0x0B060002 && call.args.size() > 1 && call.args[1] == 0;
    }
    EXPECT_TRUE(handedBack) << "the engine handed back after the level call";
}

} // namespace
