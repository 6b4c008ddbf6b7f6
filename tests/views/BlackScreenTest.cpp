// The idle doze's black screen on the simulated board: sound and screen through the doze
// libraries in order, Max power saving while it lasts and the mode shown before it afterwards,
// the desk's jitter kept and a real move, a key or a click leaving it, the screen blanked again
// after a woken pause, and a black window that something else hid or showed again.
#include "monitor/CpuPowerMonitor.h"
#include "power/ControllerType.h"
#include "power/PowerGear.h"
#include "power/PowerGearSelection.h"
#include "sim/board/Board.h"
#include "tests/views/DialogTestSupport.h"
#include "views/BlackScreen.h"
#include "views/BlackScreenController.h"

namespace {

using simboard::Field;
using simboard::Library;
using Strings = std::vector<std::string>;

class BlackScreenTest : public dialogtest::DialogTest
{
protected:
    void SetUp() override
    {
        dialogtest::DialogTest::SetUp();
        tv::SelectPowerGearImplementation(0);
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        ASSERT_TRUE(simboard::SetField(Field::Level, 0));
        m_monitor = std::make_unique<tv::CpuPowerMonitor>(
            tv::ReadControllerType(tv::PowerGear::Instance()));
        m_window = m_app->CreateForm<tv::TBlackScreen>();
        m_controller = std::make_unique<tv::BlackScreenController>(m_monitor.get());
        m_controller->Attach(m_window);
        m_controller->SetReblankInterval(1500);
        simboard::ClearJournal();
    }
    void TearDown() override
    {
        m_controller.reset();
        if (m_monitor) {
            EXPECT_TRUE(m_monitor->WaitForModeThread(30000));
        }
        m_monitor.reset();
        dialogtest::DialogTest::TearDown();
    }

    // The sound and screen calls since the last clear, in order.
    static Strings DozeCalls()
    {
        Strings calls;
        for (const simboard::JournalEntry& entry : simboard::ReadJournal().entries) {
            if (entry.library == Library::Vvc ||
                (entry.library == Library::OptiDoze &&
                 (entry.function == "OptiDozeScreen" || entry.function == "OptiDozeSound"))) {
                calls.push_back(entry.Signature());
            }
        }
        return calls;
    }
    int LevelAfterModeThread()
    {
        EXPECT_TRUE(m_monitor->WaitForModeThread(30000));
        dialogtest::PumpFor(20);
        return simboard::FieldValue(Field::Level);
    }
    // The cursor's display count of this thread is 0 or more.
    static bool CursorShown()
    {
        const int count = ShowCursor(TRUE) - 1;
        ShowCursor(FALSE);
        return count >= 0;
    }
    static void RightClick()
    {
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, click, sizeof click[0]);
    }
    void Enter()
    {
        // The mode it remembers is the one in force: let an earlier change finish first.
        ASSERT_TRUE(m_monitor->WaitForModeThread(30000));
        m_controller->Enter();
        ASSERT_TRUE(dialogtest::PumpUntil([&] {
            return IsWindowVisible(m_window->Handle()) && dialogtest::Foremost(*m_window);
        }));
        dialogtest::PumpFor(100);
    }
    // Moves the pointer by (dx, dy) and waits until the move reached the controller.
    void MoveBy(int dx, int dy)
    {
        POINT at;
        GetCursorPos(&at);
        const bool armed = m_controller->Armed();
        const bool active = m_controller->Active();
        dialogtest::MoveTo(POINT{at.x + dx, at.y + dy});
        ASSERT_TRUE(dialogtest::PumpUntil([&] {
            return m_controller->Armed() != armed || m_controller->Active() != active;
        })) << "the move by "
            << dx << ", " << dy << " did not arrive";
    }

    std::unique_ptr<tv::CpuPowerMonitor> m_monitor;
    // Why the doze ended, when a test fails.
    tvtest::TraceCapture m_trace;
    tv::TBlackScreen* m_window = nullptr;
    std::unique_ptr<tv::BlackScreenController> m_controller;
};

const Strings kEnterCalls = {"VISTA_SetMute(1)", "OptiDozeScreen(0)"};
const Strings kLeaveCalls = {"VISTA_SetMute(0)", "OptiDozeScreen(1)"};

Strings Joined(std::initializer_list<Strings> parts)
{
    Strings all;
    for (const Strings& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(BlackScreenTest, JitterKeepsItARealMoveLeavesAndEverythingComesBack)
{
    ASSERT_TRUE(CursorShown());
    // The pointer rests where the moves start, so the move the new window may get for it lands
    // there too; then the late ones have settled.
    dialogtest::MoveTo(POINT{640, 480});
    dialogtest::PumpFor(300);
    Enter();
    dialogtest::PumpFor(300);
    ASSERT_TRUE(m_controller->Active()) << testing::PrintToString(m_trace.Lines());
    EXPECT_EQ(DozeCalls(), kEnterCalls);
    const RECT bounds = m_window->BoundsRect();
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bounds.bottom, GetSystemMetrics(SM_CYSCREEN));
    const LONG exStyle = GetWindowLongA(m_window->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(CursorShown());
    EXPECT_EQ(m_controller->RememberedMode(), 0);
    EXPECT_EQ(LevelAfterModeThread(), 2) << "Max power saving while black";

    // A known start: armed at the middle of the screen.
    if (m_controller->Armed()) {
        MoveBy(2, 2);
    }
    MoveBy(-2, -2);
    ASSERT_TRUE(m_controller->Armed());
    // Desk jitter: at most 10 pixels between two moves disarms, the next move arms again.
    MoveBy(4, 5);
    EXPECT_FALSE(m_controller->Armed());
    MoveBy(-3, 3);
    EXPECT_TRUE(m_controller->Armed());
    MoveBy(-5, -5);
    EXPECT_FALSE(m_controller->Armed());
    MoveBy(0, 2);
    ASSERT_TRUE(m_controller->Armed());
    EXPECT_TRUE(m_controller->ReblankPending());
    // The screen the jitter woke goes off again when the timer runs out.
    ASSERT_TRUE(dialogtest::PumpUntil([&] { return !m_controller->ReblankPending(); }, 5000));
    EXPECT_TRUE(m_controller->Active());
    EXPECT_EQ(DozeCalls(), Joined({kEnterCalls, {"OptiDozeScreen(0)"}}));

    // 11 pixels: out.
    MoveBy(8, 3);
    EXPECT_FALSE(m_controller->Active());
    EXPECT_FALSE(IsWindowVisible(m_window->Handle()));
    EXPECT_TRUE(CursorShown());
    EXPECT_EQ(DozeCalls(), Joined({kEnterCalls, {"OptiDozeScreen(0)"}, kLeaveCalls}));
    EXPECT_EQ(LevelAfterModeThread(), 0) << "the mode shown before";
}

TEST_F(BlackScreenTest, AKeyOrAClickLeavesAndAHiddenWindowLeavesToo)
{
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    Enter();
    EXPECT_EQ(m_controller->RememberedMode(), 0x8000);
    dialogtest::PressKey(VK_SHIFT, m_window);
    ASSERT_TRUE(dialogtest::PumpUntil([&] { return !m_controller->Active(); }));
    EXPECT_EQ(LevelAfterModeThread(), 0x8000);

    Enter();
    RightClick();
    ASSERT_TRUE(dialogtest::PumpUntil([&] { return !m_controller->Active(); }));
    EXPECT_FALSE(IsWindowVisible(m_window->Handle()));
    EXPECT_TRUE(CursorShown());

    // The application minimised under the doze (a peer asked for it): the doze ends all the same;
    // restored, the black window shows again, and the first input takes it away.
    Enter();
    m_app->Minimize();
    dialogtest::PumpFor(50);
    EXPECT_FALSE(m_controller->Active());
    EXPECT_TRUE(CursorShown());
    m_app->Restore();
    ASSERT_TRUE(dialogtest::PumpUntil([&] { return IsWindowVisible(m_window->Handle()); }));
    RightClick();
    EXPECT_TRUE(dialogtest::PumpUntil([&] { return !IsWindowVisible(m_window->Handle()); }));
    EXPECT_EQ(DozeCalls(), Joined({kEnterCalls, kLeaveCalls, kEnterCalls, kLeaveCalls, kEnterCalls,
                                   kLeaveCalls}));
    EXPECT_EQ(LevelAfterModeThread(), 0x8000);
}

} // namespace
