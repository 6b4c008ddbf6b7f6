// The idle watcher as a full mode change sets it and as the controller's idle check reads it, and
// the controller link through which the mode thread and the monitor reach the main controller.
#include "lumo/Forms/GuiThread.h"
#include "power/GearLevel.h"
#include "shell/base/ControllerLink.h"
#include "shell/base/IdleWatcher.h"
#include "tests/mode/ModeTestSupport.h"
#include "tests/support/RecordingController.h"

#include <thread>

using Strings = std::vector<std::string>;

namespace {

class IdleWatcherTest : public modetest::ModeTest
{
protected:
    tv::IdleWatcher::State ApplyWithIdleTimeout(int32_t idleMs)
    {
        tv::ModeProfile low = modetest::Profile(tv::kProfileLow);
        low.optiDozeIdleTimeout = idleMs;
        modetest::SetProfile(tv::kProfileLow, low);
        tv::CpuPowerMonitor& monitor = MakeMonitor();
        monitor.ApplyMode(2, true);
        EXPECT_TRUE(monitor.WaitForModeThread(20000));
        return tv::IdleWatcher::Instance().Snapshot();
    }
};

TEST_F(IdleWatcherTest, AProfileBelowOneMinuteSwitchesTheWatcherOff)
{
    tv::IdleWatcher::Instance().Restart(90000);
    const tv::IdleWatcher::State state = ApplyWithIdleTimeout(59999);
    EXPECT_FALSE(state.enabled);
}

TEST_F(IdleWatcherTest, AProfileOfOneMinuteRestartsTheWatcher)
{
    tv::IdleWatcher& watcher = tv::IdleWatcher::Instance();
    watcher.Disable();
    // An earlier report is forgotten.
    watcher.Restart(1);
    ASSERT_TRUE(watcher.Check(GetTickCount() + 100, 0));
    const DWORD before = GetTickCount();
    const tv::IdleWatcher::State state = ApplyWithIdleTimeout(60000);
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(state.reported);
    EXPECT_EQ(state.thresholdMs, 60000u);
    EXPECT_LE(state.lastInputTick - before, GetTickCount() - before) << "restarted now";
}

TEST(IdleWatcher, ReportsIdlenessOncePerIdlePeriod)
{
    tv::IdleWatcher watcher;
    const tv::IdleWatcher::State initial = watcher.Snapshot();
    EXPECT_FALSE(initial.enabled);
    EXPECT_EQ(initial.thresholdMs, 200000u);
    EXPECT_FALSE(watcher.Check(initial.lastInputTick + 300000, initial.lastInputTick))
        << "disabled";

    watcher.Restart(60000);
    const DWORD start = watcher.Snapshot().lastInputTick;
    EXPECT_FALSE(watcher.Check(start + 60000, start)) << "not beyond the threshold";
    EXPECT_TRUE(watcher.Check(start + 60001, start));
    EXPECT_FALSE(watcher.Check(start + 90000, start)) << "reported once";
    // Input: the period ends, the next one is reported again.
    EXPECT_FALSE(watcher.Check(start + 95000, start + 94000));
    EXPECT_FALSE(watcher.Snapshot().reported);
    EXPECT_TRUE(watcher.Check(start + 154001, start + 94000));
    // An input tick older than the one kept is ignored.
    EXPECT_FALSE(watcher.Check(start + 160000, start + 1000));
    EXPECT_EQ(watcher.Snapshot().lastInputTick, start + 94000);

    // Ticks wrap after 49 days: walk the input forward to just before the wrap.
    watcher.Restart(60000);
    const DWORD late = 0xFFFFFF00u;
    for (DWORD tick = watcher.Snapshot().lastInputTick; late - tick > 0x10000000u;) {
        tick += 0x10000000;
        watcher.Check(tick, tick);
    }
    EXPECT_FALSE(watcher.Check(late + 10, late));
    EXPECT_EQ(watcher.Snapshot().lastInputTick, late);
    EXPECT_FALSE(watcher.Check(0x100, 0x80)) << "input just after the wrap is newer";
    EXPECT_EQ(watcher.Snapshot().lastInputTick, 0x80u);
    EXPECT_TRUE(watcher.Check(0x80 + 60001, 0x80));

    watcher.Disable();
    EXPECT_FALSE(watcher.Check(0x80 + 200000, 0x80));
}

TEST(ControllerLink, WithoutAControllerNothingHappens)
{
    ASSERT_EQ(tv::RegisteredControllerLink(), nullptr);
    int mode = 77;
    EXPECT_FALSE(tv::controller_link::PendingStartupMode(mode));
    EXPECT_EQ(mode, 77);
    tv::controller_link::SetEnergyTimerEnabled(false);
    tv::controller_link::RefreshTray();
    tv::controller_link::RefreshCardButton(true);
}

TEST(ControllerLink, RefreshesRaisedOnAWorkerReachTheControllerOnTheGuiThread)
{
    lumo::GuiThread::Attach();
    ASSERT_TRUE(lumo::GuiThread::IsGuiThread());
    tvtest::RecordingController controller;
    EXPECT_EQ(tv::RegisteredControllerLink(), &controller);
    std::thread worker([] {
        tv::controller_link::RefreshTray();
        tv::controller_link::RefreshAutoState();
        tv::controller_link::RefreshCardButton(false);
        tv::controller_link::RefreshView();
    });
    worker.join();
    EXPECT_TRUE(controller.Events().empty()) << "queued, not called on the worker";
    lumo::GuiThread::RunPending();
    EXPECT_EQ(controller.Events(), (Strings{"tray", "auto state", "card button none", "view"}));
    for (DWORD thread : controller.Threads()) {
        EXPECT_EQ(thread, GetCurrentThreadId());
    }

    // On the GUI thread they are immediate; the queries always are.
    controller.Clear();
    tv::controller_link::RefreshCardButton(true);
    tv::controller_link::SetEnergyTimerEnabled(false);
    controller.SetPendingStartupMode(true, 2);
    int mode = 0;
    EXPECT_TRUE(tv::controller_link::PendingStartupMode(mode));
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(controller.Events(), (Strings{"card button saves", "energy timer off"}));
}

TEST(ControllerLink, AQueuedRefreshReachesOnlyTheControllerRegisteredWhenItRuns)
{
    lumo::GuiThread::Attach();
    auto first = std::make_unique<tvtest::RecordingController>();
    std::thread([] { tv::controller_link::RefreshView(); }).join();
    first.reset();
    lumo::GuiThread::RunPending();
    tvtest::RecordingController second;
    std::thread([] { tv::controller_link::RefreshView(); }).join();
    lumo::GuiThread::RunPending();
    EXPECT_EQ(second.Events(), (Strings{"view"}));
}

} // namespace
