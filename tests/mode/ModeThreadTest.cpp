// The mode thread as ApplyMode starts it: the calls of a full and of a level-only change in their
// order, the profile that is applied, "Gear_Flag" around the body, and one body at a time.
#include "lumo/Forms/GuiThread.h"
#include "power/GearItems.h"
#include "power/GearLevel.h"
#include "power/PowerSchemeStep.h"
#include "shell/base/IdleWatcher.h"
#include "shell/base/RegistrySchema.h"
#include "tests/mode/ModeTestSupport.h"
#include "tests/support/Peers.h"
#include "tests/support/RecordingController.h"

#include <algorithm>
#include <atomic>
#include <thread>

using modetest::GearFlag;
using modetest::Journal;
using simboard::Library;
using Strings = std::vector<std::string>;

namespace {

class ModeThreadTest : public modetest::ModeTest
{
protected:
    // Position of a call in the journal; the journal's size when it is not there.
    static size_t IndexOf(const Strings& calls, const std::string& call)
    {
        return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
    }
};

TEST_F(ModeThreadTest, AFullChangeToMaxPowerSaving)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tvtest::TraceCapture trace;
    monitor.ApplyMode(2, true);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));

    EXPECT_EQ(Journal({Library::OptiGear, Library::KdSpindownTimeout, Library::Powrprof}),
              (Strings{
                  // The level, with the gear engine's open guard.
                  "OptiGear OptiGearGetItem(0x0B060002)",
                  "OptiGear OptiGearSetLevel(2)",
                  // The Low profile's side settings: spin-down, then the fans (BIOS control off
                  // for both: the user curve for the CPU, the chassis fan off in Max saving).
                  "KdSpindownTimeout KdSetSpindownTimeout(0x4B0)",
                  "OptiGear IsKFanThreeSupported()",
                  "OptiGear OptiGearGetItem(0x04070010)",
                  "OptiGear OptiGearGetItem(0x04070070)",
                  // Family F: Balanced, the scheme in force saved.
                  "powrprof PowerGetActiveScheme()",
                  "powrprof PowerSetActiveScheme(0x381B4222)",
              }));
    EXPECT_TRUE(trace.Contains("~~~[Opti Gear] Can not Set mode to VGA 2")) << "no card utility";
    EXPECT_TRUE(trace.Contains("~~~Set CPU Fan User mode for Opti Gear"));
    EXPECT_FALSE(trace.Contains("~~~Set Chassis Fan Silent mode"));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 2);
    EXPECT_EQ(tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 0xDEADBEEF), 2u);
    EXPECT_EQ(GearFlag(), 0u);
    EXPECT_EQ(modetest::ActiveScheme(), 0x381B4222ul);
    const tv::IdleWatcher::State idle = tv::IdleWatcher::Instance().Snapshot();
    EXPECT_TRUE(idle.enabled);
    EXPECT_EQ(idle.thresholdMs, 1200000u);
}

TEST_F(ModeThreadTest, AFullChangeToAutoAndBackToHighPerformance)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tvtest::TraceCapture trace;
    monitor.ApplyMode(0x8000, true);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    Strings calls = Journal({Library::OptiGear, Library::KdSpindownTimeout});
    // Auto sends the thresholds to the board; its profile quiets the fans.
    EXPECT_EQ(Strings(calls.begin(), calls.begin() + 6),
              (Strings{"OptiGear OptiGearGetItem(0x0B060002)", "OptiGear OptiGearSetLevel(0x8000)",
                       "OptiGear OptiGearSetItem(0x0E0A0014, 0)",
                       "OptiGear OptiGearSetItem(0x0E0A0015, 0)",
                       "OptiGear OptiGearSetItem(0x0E0A0016, 255)",
                       "KdSpindownTimeout KdSetSpindownTimeout(0x4B0)"}));
    EXPECT_TRUE(trace.Contains("~~~Set Chassis Fan Silent mode for Opti Gear"));
    EXPECT_EQ(tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 0), 0x8000u);

    // High performance: the Normal profile restores the fans and switches spin-down and the idle
    // watcher off.
    simboard::ClearJournal();
    simboard::ClearChipWrites();
    trace.Clear();
    monitor.ApplyMode(0, true);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    calls = Journal({Library::OptiGear, Library::KdSpindownTimeout});
    EXPECT_EQ(Strings(calls.begin(), calls.begin() + 3),
              (Strings{"OptiGear OptiGearGetItem(0x0B060002)", "OptiGear OptiGearSetLevel(0)",
                       "KdSpindownTimeout KdSetSpindownTimeout(0)"}));
    EXPECT_FALSE(trace.Contains("~~~Set CPU Fan User mode"));
    EXPECT_FALSE(trace.Contains("~~~Set Chassis Fan Silent mode"));
    EXPECT_FALSE(tv::IdleWatcher::Instance().Snapshot().enabled);
    EXPECT_FALSE(simboard::ReadChipWrites().writes.empty()) << "the fans were restored";
}

TEST_F(ModeThreadTest, FansUnderBiosControlAreLeftAlone)
{
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuFanBiosControl, 1));
    ASSERT_TRUE(simboard::SetItem(tv::item::kChassisFanBiosControl, 1));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    simboard::ClearChipWrites();
    tvtest::TraceCapture trace;
    // Quieting (Max saving, then Auto) and restoring (High performance) alike.
    for (int mode : {2, 0x8000, 0}) {
        monitor.ApplyMode(mode, true);
        ASSERT_TRUE(monitor.WaitForModeThread(20000)) << mode;
        EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), mode);
    }
    EXPECT_TRUE(simboard::ReadChipWrites().writes.empty());
    EXPECT_FALSE(trace.Contains("~~~Set CPU Fan User mode"));
    EXPECT_FALSE(trace.Contains("~~~Set Chassis Fan Silent mode"));
}

TEST_F(ModeThreadTest, ALevelOnlyChangeSetsTheLevelItemAndRefreshesTheTrayOnTheGuiThread)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tvtest::RecordingController controller;
    monitor.ApplyMode(2, false);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    EXPECT_EQ(
        Journal(),
        (Strings{"OptiGear OptiGearGetItem(0x0B060002)", "OptiGear OptiGearSetItem(0x0B060001, 2)",
                 "powrprof PowerGetActiveScheme()", "powrprof PowerSetActiveScheme(0x381B4222)"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 2);
    EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kLastMode).exists);
    EXPECT_EQ(GearFlag(), 0u);
    EXPECT_EQ(controller.Events(), (Strings{"tray"}));
    EXPECT_EQ(controller.Threads(), (std::vector<DWORD>{GetCurrentThreadId()}));
}

TEST_F(ModeThreadTest, RequestsAreNormalisedAndTakeTheNormalisedLevelsProfile)
{
    tv::ModeProfile medium = modetest::Profile(tv::kProfileMedium);
    medium.spinDownTimeout = 555;
    modetest::SetProfile(tv::kProfileMedium, medium);
    tv::ModeProfile low = modetest::Profile(tv::kProfileLow);
    low.spinDownTimeout = 777;
    modetest::SetProfile(tv::kProfileLow, low);
    tv::ModeProfile turbo = modetest::Profile(tv::kProfileTurbo);
    turbo.spinDownTimeout = 111;
    modetest::SetProfile(tv::kProfileTurbo, turbo);
    tv::ModeProfile normal = modetest::Profile(tv::kProfileNormal);
    normal.spinDownTimeout = 333;
    modetest::SetProfile(tv::kProfileNormal, normal);
    tv::CpuPowerMonitor& monitor = MakeMonitor();

    monitor.ApplyMode(1, true);
    monitor.ApplyMode(0x4000, true);
    monitor.ApplyMode(0x1234, true);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    EXPECT_EQ(Journal({Library::KdSpindownTimeout}),
              (Strings{"KdSpindownTimeout KdSetSpindownTimeout(0x309)",
                       "KdSpindownTimeout KdSetSpindownTimeout(0x14D)",
                       "KdSpindownTimeout KdSetSpindownTimeout(0x14D)"}));
    const Strings levels =
        simboard::ReadJournal().Signatures(Library::OptiGear, "OptiGearSetLevel");
    EXPECT_EQ(levels,
              (Strings{"OptiGearSetLevel(2)", "OptiGearSetLevel(0)", "OptiGearSetLevel(0)"}));
}

TEST_F(ModeThreadTest, GearFlagIsSetExactlyWhileTheBodyRuns)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(card.Control().Send("clear"));
    ASSERT_TRUE(card.Control().Send("delay 1500"));
    monitor.ApplyMode(2, true);
    // The body waits for the card's answer.
    ASSERT_TRUE(tvtest::WaitUntil([&] { return card.Control().Count() == 1; }, 10000));
    EXPECT_EQ(GearFlag(), 1u);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    EXPECT_EQ(GearFlag(), 0u);
    auto requests = card.Control().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(tvsim::WordAt(requests[0], 0), 0x10001001u);
    EXPECT_EQ(tvsim::WordAt(requests[0], 1), 2u)
        << "the card is told regardless of the sync switch";
}

TEST_F(ModeThreadTest, ASecondRequestWaitsForTheFirstBody)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(card.Control().Send("clear"));
    ASSERT_TRUE(card.Control().Send("delay 1200"));
    monitor.ApplyMode(2, true);
    Sleep(100);
    const DWORD start = GetTickCount();
    monitor.ApplyMode(0, true);
    EXPECT_GE(GetTickCount() - start, 900u) << "waited for the card's answer to the first";
    ASSERT_TRUE(monitor.WaitForModeThread(20000));

    const Strings calls = Journal();
    const size_t firstEnd = IndexOf(calls, "powrprof PowerSetActiveScheme(0x381B4222)");
    const size_t secondStart = IndexOf(calls, "OptiGear OptiGearSetLevel(0)");
    ASSERT_LT(firstEnd, calls.size());
    ASSERT_LT(secondStart, calls.size());
    EXPECT_LT(firstEnd, secondStart);
    EXPECT_EQ(card.Control().Count(), 2);
    EXPECT_EQ(modetest::ActiveScheme(), 0xA1841308ul) << "the scheme before the first is back";
}

// A window of the GUI thread that applies High performance on message 1055, as the main window
// does; the message is sent from another thread while the GUI thread waits inside ApplyMode.
class HighPerformanceOn1055
{
public:
    static constexpr UINT kMessage = WM_USER + 31;

    explicit HighPerformanceOn1055(tv::CpuPowerMonitor& monitor) : m_monitor(monitor)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ModeTest1055";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, "ModeTest1055", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HighPerformanceOn1055() { DestroyWindow(m_window); }
    HWND Handle() const { return m_window; }
    int Handled() const { return m_handled; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self =
            reinterpret_cast<HighPerformanceOn1055*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == kMessage) {
            ++self->m_handled;
            self->m_monitor.ApplyMode(0, true);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    tv::CpuPowerMonitor& m_monitor;
    HWND m_window = nullptr;
    std::atomic<int> m_handled{0};
};

// Two 1055 messages arrive while ApplyMode waits for a slow application: they are applied after
// the request under way, once, and no body overlaps another.
TEST_F(ModeThreadTest, RequestsMadeWhileApplyModeWaitsAreQueuedNotNested)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    HighPerformanceOn1055 window(monitor);
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_TRUE(card.Control().Send("clear"));
    ASSERT_TRUE(card.Control().Send("delay 1000"));
    monitor.ApplyMode(0, true);
    std::atomic<int> sent{0};
    std::thread peer([&] {
        // While the first body waits for the card, and so the request below for the body.
        if (tvtest::WaitUntil([&] { return card.Control().Count() == 1; }, 10000)) {
            for (int i = 0; i < 2; ++i) {
                DWORD_PTR result = 0;
                SendMessageTimeoutA(window.Handle(), HighPerformanceOn1055::kMessage, 0, 0,
                                    SMTO_NORMAL, 20000, &result);
                ++sent;
            }
        }
    });
    monitor.ApplyMode(2, true);
    // The sends may still be under way if the fault is back; they need this thread.
    tvtest::WaitUntil(
        [&] {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
            return sent == 2;
        },
        30000);
    peer.join();
    ASSERT_TRUE(monitor.WaitForModeThread(30000));
    EXPECT_EQ(window.Handled(), 2);

    std::vector<DWORD> modes;
    for (const auto& request : card.Control().Requests()) {
        modes.push_back(tvsim::WordAt(request, 1));
    }
    EXPECT_EQ(modes, (std::vector<DWORD>{0, 2, 0})) << "in the order asked, each body alone";
    EXPECT_EQ(simboard::ReadJournal().Signatures(Library::OptiGear, "OptiGearSetLevel"),
              (Strings{"OptiGearSetLevel(0)", "OptiGearSetLevel(2)", "OptiGearSetLevel(0)"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 0) << "the last request wins";
}

// After its 3 s the GUI thread stops waiting and starts the next thread, but that body still
// waits for the first: the side settings and the scheme end as the newer mode asks, and the
// mode-done event waits for the last body.
TEST_F(ModeThreadTest, AfterThreeSecondsTheNextThreadStartsButItsBodyWaitsItsTurn)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(card.Control().Send("delay 5000"));
    const uint32_t mark = simboard::LastSequence();
    monitor.ApplyMode(2, true);
    const DWORD start = GetTickCount();
    monitor.ApplyMode(0, true);
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 2900u);
    EXPECT_LT(waited, 4500u) << "the GUI thread is held no longer than its bound";

    ASSERT_TRUE(monitor.WaitForModeThread(30000));
    EXPECT_EQ(simboard::ReadJournal(mark).Signatures(Library::OptiGear, "OptiGearSetLevel"),
              (Strings{"OptiGearSetLevel(2)", "OptiGearSetLevel(0)"}))
        << "both ended when the event says so";
    const Strings calls = Journal();
    const size_t firstEnd = IndexOf(calls, "powrprof PowerSetActiveScheme(0x381B4222)");
    const size_t secondStart = IndexOf(calls, "OptiGear OptiGearSetLevel(0)");
    ASSERT_LT(firstEnd, calls.size());
    ASSERT_LT(secondStart, calls.size());
    EXPECT_LT(firstEnd, secondStart) << "the second body began after the first had ended";
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 0);
    EXPECT_EQ(modetest::ActiveScheme(), 0xA1841308ul) << "the scheme before Max power saving";
    EXPECT_EQ(GearFlag(), 0u);
    const tv::IdleWatcher::State idle = tv::IdleWatcher::Instance().Snapshot();
    EXPECT_FALSE(idle.enabled) << "High performance's profile, not Max power saving's";
}

} // namespace
