// The graphics-card synchronisation against cardsim.exe: what is asked and sent over the card
// pipe, the factors and capabilities kept and published, the card button, and the reactions to
// the card utility's notifications arriving through the real board pipe.
#include "ipc/PipeProtocol.h"
#include "power/GearItems.h"
#include "shell/base/RegistrySchema.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/Peers.h"
#include "tests/support/RecordingController.h"

using simboard::Field;
using Strings = std::vector<std::string>;
using Codes = std::vector<DWORD>;

namespace {

constexpr DWORD kSetMode = tv::pipe::kSetCardMode;
constexpr DWORD kGetMode = tv::pipe::kGetCardMode;
constexpr DWORD kCaps = tv::pipe::kGetCardCapabilities;
constexpr DWORD kSaving = tv::pipe::kGetCardSaving;

class CardSyncTest : public monitortest::MonitorTest
{
protected:
    void TearDown() override
    {
        m_card.Stop();
        monitortest::MonitorTest::TearDown();
    }

    bool StartCard(const std::string& arguments = std::string())
    {
        return tvtest::StartCardSim(m_card, arguments);
    }
    const tvsim::PeerControl& Card() const { return m_card.Control(); }
    void Send(const std::string& command) { ASSERT_TRUE(Card().Send(command)) << command; }

    // Request code and argument of every request the card saw, then forgets them.
    std::vector<std::pair<DWORD, DWORD>> TakeRequests()
    {
        std::vector<std::pair<DWORD, DWORD>> seen;
        for (const auto& request : Card().Requests()) {
            seen.push_back({tvsim::WordAt(request, 0), tvsim::WordAt(request, 1)});
        }
        Card().Send("clear");
        return seen;
    }
    // Just the codes.
    Codes TakeCodes()
    {
        Codes codes;
        for (const auto& request : TakeRequests()) {
            codes.push_back(request.first);
        }
        return codes;
    }
    // The modes the card was told.
    std::vector<DWORD> TakeModesSent()
    {
        std::vector<DWORD> modes;
        for (const auto& request : TakeRequests()) {
            if (request.first == kSetMode) {
                modes.push_back(request.second);
            }
        }
        return modes;
    }

    static DWORD QemValue(const char* name)
    {
        return tvtest::ReadRawDword(tv::reg::kQemKey, name, 0xDEADBEEF);
    }

private:
    tvtest::RunningPeer m_card;
};

const Codes kFullQuery = {kCaps, kSaving, kSaving, kSaving, kSaving};

TEST_F(CardSyncTest, WithoutACardNothingIsConnectedAndTheCapabilitiesArePublishedAsZero)
{
    tvtest::RecordingController controller;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_FALSE(monitor.CardConnected());
    EXPECT_FALSE(monitor.QemSupported());
    EXPECT_FALSE(monitor.CardSavesIn(255));
    for (const char* name : {"QemSupported", "AutoSupported", "SyncEnabled", "MonitorSupported"}) {
        EXPECT_EQ(QemValue(name), 0u) << name;
    }
    EXPECT_TRUE(controller.Events().empty()) << "the card button is refreshed only for a card";
}

TEST_F(CardSyncTest, CapabilitiesPowerAndFactorsFromTheCard)
{
    ASSERT_TRUE(StartCard("--caps 7 --power 35000"));
    tvtest::RecordingController controller;
    tvtest::TraceCapture trace;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    auto requests = TakeRequests();
    EXPECT_EQ(requests,
              (std::vector<std::pair<DWORD, DWORD>>{
                  {kCaps, 0}, {kSaving, 0x4000}, {kSaving, 0}, {kSaving, 1}, {kSaving, 2}}))
        << "sync is off: no mode is sent";
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor]::QueryVgaCapablility"));
    EXPECT_TRUE(monitor.CardConnected());
    EXPECT_TRUE(monitor.QemSupported());
    EXPECT_TRUE(monitor.MonitorSupported());
    EXPECT_TRUE(monitor.AutoSupported());
    EXPECT_FALSE(monitor.SyncEnabled());
    const tv::EnergySaving& card = monitor.CardAccount();
    EXPECT_DOUBLE_EQ(card.CurrentPower(), 35.0);
    EXPECT_DOUBLE_EQ(card.Factor(0), 0.0);
    EXPECT_DOUBLE_EQ(card.Factor(1), 0.0);
    EXPECT_DOUBLE_EQ(card.Factor(2), 0.15);
    EXPECT_DOUBLE_EQ(card.Factor(3), 0.3);
    EXPECT_EQ(QemValue("QemSupported"), 1u);
    EXPECT_EQ(QemValue("AutoSupported"), 1u);
    EXPECT_EQ(QemValue("SyncEnabled"), 0u);
    EXPECT_EQ(QemValue("MonitorSupported"), 1u);
    EXPECT_EQ(controller.Events(), (Strings{"card button saves"}));

    EXPECT_TRUE(monitor.CardSavesIn(255));
    EXPECT_TRUE(monitor.CardSavesIn(0x8000));
    EXPECT_TRUE(monitor.CardSavesIn(2));
    EXPECT_TRUE(monitor.CardSavesIn(1));
    EXPECT_FALSE(monitor.CardSavesIn(0));
    EXPECT_FALSE(monitor.CardSavesIn(0x4000));

    // The card account books its own power and factor in the board's mode.
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));
    monitor.Tick(5);
    EXPECT_DOUBLE_EQ(monitor.CardTotalSaving(), 35 * 0.3 * 5 / 3600);

    // Other bits, another sync switch.
    Send("caps 2");
    Send("sync on");
    monitor.QueryCardCapabilities();
    EXPECT_FALSE(monitor.QemSupported());
    EXPECT_TRUE(monitor.MonitorSupported());
    EXPECT_FALSE(monitor.AutoSupported());
    EXPECT_TRUE(monitor.SyncEnabled());
    EXPECT_EQ(QemValue("QemSupported"), 0u);
    EXPECT_EQ(QemValue("AutoSupported"), 0u);
    EXPECT_EQ(QemValue("SyncEnabled"), 1u);
}

TEST_F(CardSyncTest, WhileSyncIsOffNoModeIsEverSentAlsoNotOnReconnection)
{
    ASSERT_TRUE(StartCard());
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    TakeRequests();
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));
    monitor.PushModeToCard();
    monitor.NotifyStatusChanged();
    monitor.OnCardDisconnected();
    monitor.OnCardConnected();
    EXPECT_EQ(TakeCodes(), kFullQuery);

    // A switch that is not 1 is off.
    for (const char* command : {"sync off", "sync 2", "sync string 1", "sync delete"}) {
        Send(command);
        tvtest::TraceCapture trace;
        monitor.OnSyncSettingChanged();
        monitor.OnCardConnected();
        EXPECT_TRUE(trace.Contains("~~~Vga and MB Sync Disable")) << command;
        EXPECT_EQ(TakeCodes(), kFullQuery) << command;
    }

    Send("sync on");
    tvtest::TraceCapture trace;
    monitor.OnSyncSettingChanged();
    EXPECT_TRUE(trace.Contains("~~~Vga and MB Sync Enable"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] Set Vga to mode 2"));
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{2}));
    monitor.OnCardConnected();
    EXPECT_EQ(TakeCodes(), (Codes{kCaps, kSaving, kSaving, kSaving, kSaving, kSetMode}));
}

TEST_F(CardSyncTest, ModesSentByTheBoardsLevel)
{
    ASSERT_TRUE(StartCard("--caps 3"));
    Send("sync on");
    UseBoard("7010");
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, 3));
    // Sent right at the start: the board's own Auto choice, saving.
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{0x80000001}));

    ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, 1));
    simboard::ClearJournal();
    monitor.PushModeToCard();
    // One reading of the level makes the value: a change between two would mix them.
    EXPECT_EQ(monitortest::GearCalls("OptiGearGetLevel"), (Strings{"OptiGearGetLevel()"}));
    ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, 2));
    monitor.PushModeToCard();
    ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, 0));
    monitor.PushModeToCard();
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{0x80000000, 0x80000001, 0x80000000}));

    // Outside Auto the level by its saving index.
    for (int level : {0x4000, 0, 1, 2}) {
        ASSERT_TRUE(simboard::SetField(Field::Level, level));
        monitor.PushModeToCard();
    }
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{0x4000, 0, 1, 2}));

    // A card with an Auto of its own is told Auto.
    Send("caps 7");
    monitor.QueryCardCapabilities();
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    monitor.PushModeToCard();
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{0x8000}));
}

TEST_F(CardSyncTest, StatusChangesReachOnlyACardWithAutoAndAlwaysTheListener)
{
    ASSERT_TRUE(StartCard("--caps 7"));
    Send("sync on");
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    TakeRequests();
    std::vector<std::pair<int, int>> notified;
    monitor.SetChangeListener([&](int index, int cardMode) {
        notified.push_back({index, cardMode});
    });
    monitor.NotifyStatusChanged();
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{2}));

    Send("caps 3");
    monitor.QueryCardCapabilities();
    TakeRequests();
    monitor.NotifyStatusChanged();
    EXPECT_TRUE(TakeModesSent().empty());
    EXPECT_EQ(notified, (std::vector<std::pair<int, int>>{{3, 1}, {3, 1}}));
}

TEST_F(CardSyncTest, OneFailingFactorQueryKeepsTheOldFactors)
{
    ASSERT_TRUE(StartCard());
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    TakeRequests();
    Send("saving 1 500");
    Send("saving 2 none");
    Send("power 20000");
    monitor.QueryCardCapabilities();
    EXPECT_EQ(TakeCodes(), kFullQuery);
    const tv::EnergySaving& card = monitor.CardAccount();
    EXPECT_DOUBLE_EQ(card.Factor(2), 0.15);
    EXPECT_DOUBLE_EQ(card.Factor(3), 0.3);
    EXPECT_DOUBLE_EQ(card.CurrentPower(), 20.0) << "the power comes with the capabilities";

    // The first one failing ends the questions.
    Send("saving 2 4000");
    Send("saving 0x4000 none");
    monitor.QueryCardCapabilities();
    EXPECT_EQ(TakeCodes(), (Codes{kCaps, kSaving}));
    EXPECT_DOUBLE_EQ(card.Factor(2), 0.15);

    Send("saving 0x4000 10");
    monitor.QueryCardCapabilities();
    EXPECT_DOUBLE_EQ(card.Factor(0), 0.001);
    EXPECT_DOUBLE_EQ(card.Factor(2), 0.05);
    EXPECT_DOUBLE_EQ(card.Factor(3), 0.4);

    // A failed capability request clears only the saving feature.
    TakeRequests();
    Send("fail 0x10001003");
    Send("saving 2 1");
    monitor.QueryCardCapabilities();
    EXPECT_EQ(TakeCodes(), (Codes{kCaps}));
    EXPECT_FALSE(monitor.QemSupported());
    EXPECT_TRUE(monitor.MonitorSupported());
    EXPECT_TRUE(monitor.AutoSupported());
    EXPECT_TRUE(monitor.CardConnected());
    EXPECT_DOUBLE_EQ(card.Factor(3), 0.4);
    EXPECT_EQ(QemValue("QemSupported"), 0u);
    EXPECT_EQ(QemValue("MonitorSupported"), 1u);
}

TEST_F(CardSyncTest, FactorsOfOnePercentOrLessDoNotCountAsSaving)
{
    ASSERT_TRUE(StartCard("--saving 1=100 --saving 2=100"));
    tvtest::RecordingController controller;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_TRUE(monitor.CardConnected());
    EXPECT_FALSE(monitor.CardSavesIn(255));
    EXPECT_FALSE(monitor.CardSavesIn(1));
    EXPECT_FALSE(monitor.CardSavesIn(2));
    EXPECT_EQ(controller.Events(), (Strings{"card button none"})) << "the button stays enabled";

    Send("saving 2 101");
    monitor.QueryCardCapabilities();
    EXPECT_TRUE(monitor.CardSavesIn(255));
    EXPECT_TRUE(monitor.CardSavesIn(2));
    EXPECT_FALSE(monitor.CardSavesIn(1));
    EXPECT_EQ(controller.Events(), (Strings{"card button none", "card button saves"}));
}

TEST_F(CardSyncTest, AfterTheCardLeftItSavesInNoMode)
{
    ASSERT_TRUE(StartCard());
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(monitor.CardSavesIn(255));
    tvtest::RecordingController controller;
    monitor.OnCardDisconnected();
    EXPECT_FALSE(monitor.CardConnected());
    for (int mode : {0x4000, 0, 1, 2, 0x8000, 255}) {
        EXPECT_FALSE(monitor.CardSavesIn(mode)) << mode;
    }
    EXPECT_EQ(controller.Events(), (Strings{"card button none"}));
    EXPECT_TRUE(TakeModesSent().empty());
}

TEST_F(CardSyncTest, TheCardsOwnModeAsASavingIndex)
{
    ASSERT_TRUE(StartCard());
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_EQ(monitor.CardModeIndex(), 1);
    const std::pair<const char*, int> cases[] = {
        {"mode 2", 3}, {"mode 0x4000", 0}, {"mode 1", 2}, {"mode 0", 1}, {"mode 0x80000001", 1}};
    for (const auto& mode : cases) {
        Send(mode.first);
        monitor.OnCardModeChanged();
        EXPECT_EQ(monitor.CardModeIndex(), mode.second) << mode.first;
    }
    Send("mode 2");
    monitor.OnCardModeChanged();
    Send("fail 0x10001002");
    Send("mode 0");
    monitor.OnCardModeChanged();
    EXPECT_EQ(monitor.CardModeIndex(), 3) << "kept when the card does not answer";
}

// The main window's part in the notifications: message 1054 from the board pipe's server
// handed to the monitor with its code.
class ForwardingWindow
{
public:
    static constexpr UINT kNotification = WM_USER + 30;

    explicit ForwardingWindow(tv::CpuPowerMonitor& monitor) : m_monitor(monitor)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &ForwardingWindow::Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TvTestForwardingWindow";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, GetModuleHandleA(nullptr), this);
    }
    ~ForwardingWindow() { DestroyWindow(m_window); }
    ForwardingWindow(const ForwardingWindow&) = delete;
    ForwardingWindow& operator=(const ForwardingWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Dispatches this thread's messages until count notifications were handled.
    bool WaitForNotifications(size_t count, DWORD timeoutMs)
    {
        DWORD start = GetTickCount();
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
            }
            if (m_handled >= count) {
                return true;
            }
            if (GetTickCount() - start > timeoutMs) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    size_t Handled() const { return m_handled; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ForwardingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == kNotification) {
            self->m_monitor.OnBoardPipeNotification(wParam);
            ++self->m_handled;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    tv::CpuPowerMonitor& m_monitor;
    HWND m_window = nullptr;
    size_t m_handled = 0;
};

TEST_F(CardSyncTest, NotificationsThroughTheBoardPipe)
{
    ASSERT_TRUE(StartCard("--caps 3"));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    monitor.OnCardDisconnected();
    TakeRequests();
    tvtest::RecordingController controller;
    ForwardingWindow window(monitor);
    ASSERT_TRUE(monitor.StartPipeServer(window.Handle(), ForwardingWindow::kNotification));
    EXPECT_TRUE(monitor.StartPipeServer(window.Handle(), ForwardingWindow::kNotification))
        << "served once";
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));

    // The utility started: present, asked, and told the mode when the user wants it.
    Send("sync on");
    Send("notify 0");
    ASSERT_TRUE(window.WaitForNotifications(1, 10000));
    EXPECT_TRUE(monitor.CardConnected());
    EXPECT_TRUE(monitor.SyncEnabled());
    EXPECT_EQ(TakeCodes(), (Codes{kCaps, kSaving, kSaving, kSaving, kSaving, kSetMode}));
    // Present at once (with the factors known from before), then refreshed after the answers.
    EXPECT_EQ(controller.Events(), (Strings{"card button saves", "card button saves"}));

    // Not while a start-up mode is pending.
    controller.SetPendingStartupMode(true, 2);
    Send("notify 0");
    ASSERT_TRUE(window.WaitForNotifications(2, 10000));
    EXPECT_EQ(TakeCodes(), kFullQuery);
    controller.SetPendingStartupMode(false);

    // The sync switch changed.
    Send("sync off");
    Send("notify 0x1000");
    ASSERT_TRUE(window.WaitForNotifications(3, 10000));
    EXPECT_FALSE(monitor.SyncEnabled());
    EXPECT_TRUE(TakeCodes().empty());
    Send("sync on");
    Send("notify 0x1000");
    ASSERT_TRUE(window.WaitForNotifications(4, 10000));
    EXPECT_EQ(TakeModesSent(), (std::vector<DWORD>{2}));

    // The card's mode changed.
    Send("mode 1");
    Send("notify 0x1001");
    ASSERT_TRUE(window.WaitForNotifications(5, 10000));
    EXPECT_EQ(TakeCodes(), (Codes{kGetMode}));
    EXPECT_EQ(monitor.CardModeIndex(), 2);

    // The utility closes.
    controller.Clear();
    Send("notify 1");
    ASSERT_TRUE(window.WaitForNotifications(6, 10000));
    EXPECT_FALSE(monitor.CardConnected());
    EXPECT_FALSE(monitor.CardSavesIn(255));
    EXPECT_EQ(controller.Events(), (Strings{"card button none"}));
    EXPECT_TRUE(TakeCodes().empty());
}

} // namespace
