#include "shell/MainForm.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/GearItems.h"
#include "power/GearLevel.h"
#include "power/PowerGear.h"
#include "power/RecoveryFlags.h"
#include "shell/Startup.h"
#include "shell/base/IdleWatcher.h"
#include "shell/base/PeerMessages.h"
#include "shell/base/RegistrySchema.h"
#include "shell/base/Translate.h"
#include "views/CpuForm.h"
#include "views/EnergyPanel.h"
#include "views/ModeDial.h"

namespace tv {
namespace {

// Broadcast commands (high byte of wParam).
constexpr int kStatusChangedCommand = 0x22;
constexpr LPARAM kStatusChangedParam = 5;
constexpr int kModeChangedCommand = 0x23;

// WM_POWERBROADCAST events.
constexpr WPARAM kSuspend = 4;
constexpr WPARAM kResumeCritical = 6;
constexpr WPARAM kResumeSuspend = 7;

// The mode thread's end is looked for this many settle ticks at most.
constexpr int kSettleTicks = 50;

lumo::TForm* FindForm(const char* className)
{
    if (lumo::TApplication* application = lumo::Application()) {
        for (lumo::TForm* form : application->Forms()) {
            if (std::string(form->ClassName()) == className) {
                return form;
            }
        }
    }
    return nullptr;
}

} // namespace

TMainForm::TMainForm(lumo::TComponent* owner)
    : TMainView(owner), m_energyTimer(this), m_idleTimer(this), m_initGearModeTimer(this),
      m_settleTimer(this)
{
    SetCaption(kMainFormCaption);
    for (lumo::TTimer* timer :
         {&m_energyTimer, &m_idleTimer, &m_initGearModeTimer, &m_settleTimer}) {
        timer->SetEnabled(false);
    }
    m_energyTimer.SetInterval(kEnergyIntervalMs);
    m_energyTimer.OnTimer = [this](lumo::TObject*) { OnEnergyTick(); };
    m_idleTimer.SetInterval(kIdleIntervalMs);
    m_idleTimer.OnTimer = [this](lumo::TObject*) { OnIdleCheck(); };
    m_initGearModeTimer.SetInterval(kInitGearModeIntervalMs);
    m_initGearModeTimer.OnTimer = [this](lumo::TObject*) { OnInitGearModeTimer(); };
    m_settleTimer.SetInterval(kSettleIntervalMs);
    m_settleTimer.OnTimer = [this](lumo::TObject*) { OnSettle(); };
    m_tray.OnTipTimer = [this] { UpdateTrayIcon(CurrentTrayState()); };

    m_broadcastMessage = RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE");
    m_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    m_liveGdiMessage = RegisterWindowMessageA(peer::kLiveGdiObjectsMessage);
    if (lumo::TApplication* application = lumo::Application()) {
        m_hookId = application->HookMainWindow(
            [this](lumo::TMessage& message) { return ApplicationHook(message); });
    }
    if (m_broadcastMessage && !AllowMessageThroughFilter(m_broadcastMessage)) {
        TraceLog("[TMainForm] ChangeWindowMessageFilter failed! GetLastError returned %lu",
                 GetLastError());
    }
    // An elevated program gets the shell's restart notice only when it lets it through.
    if (m_taskbarCreatedMessage && !AllowMessageThroughFilter(m_taskbarCreatedMessage)) {
        TraceLog("[TMainForm] ChangeWindowMessageFilter(TaskbarCreated) failed! GetLastError "
                 "returned %lu",
                 GetLastError());
    }

    // The last run ended during a calibration or a mode change: the profiles start afresh.
    if (!IsRecoveryFlagClear(RecoveryFlag::Calibration) ||
        !IsRecoveryFlagClear(RecoveryFlag::Gear)) {
        m_backToDefaultPending = true;
        AdvanceSettings::Instance().LoadDefaults();
    }
    ClearRecoveryFlag(RecoveryFlag::Calibration);
    ClearRecoveryFlag(RecoveryFlag::Gear);
    RegisterControllerLink(this);
}

TMainForm::~TMainForm()
{
    if (RegisteredControllerLink() == this) {
        RegisterControllerLink(nullptr);
    }
    m_tray.Destroy();
    if (lumo::TApplication* application = lumo::Application()) {
        application->UnhookMainWindow(m_hookId);
    }
    if (m_started && !Overclocked()) {
        // A mode thread under way (a peer's 1055 just before its close command) ends first: its
        // level must not land after the reset, nor its Gear_Flag stay set for the next start.
        if (!CpuPowerMonitor::Instance().WaitForModeThread(kExitWaitMs)) {
            TraceLog("~~~[TMainForm] a mode change still under way at the end");
        }
        // The gear engine back to the board's own control.
        PowerGear& gear = PowerGear::Instance();
        gear.SetItem(item::kGearLevel, 0);
        gear.SetItem(item::kGearEngineOpen, 0);
    }
}

void TMainForm::Start(bool bootSwitch)
{
    if (m_started) {
        return;
    }
    m_started = true;
    CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
    if (!monitor.StartPipeServer(Handle(), kPipeMessage)) {
        TraceLog("~~~[TMainForm] the board pipe is not served");
    }

    m_tray.Create(Handle(), kApplicationTitle);

    SetTexts();
    WireView();
    SetUpDial(monitor.IsTypeF000());
    if (auto* cpuForm = dynamic_cast<TCpuForm*>(FindForm("TCpuForm"))) {
        Panel().AttachCpuForm(cpuForm, &cpuForm->CpuEnergySavingTitle(),
                              monitor.IsFFamily() || monitor.Is7Family());
        // Up to date whenever the details window appears.
        cpuForm->OnRefresh = [this](lumo::TObject*) { Panel().RefreshCpuRows(); };
    }
    ShowCurrentMode();

    m_energyTimer.SetEnabled(true);
    m_idleTimer.SetEnabled(true);
    ChooseInitialMode(bootSwitch);
    UpdateTrayIcon(CurrentTrayState());
    m_ready = true;
    if (m_showPending) {
        // After the rest of the start-up (the dialogs' set-up), from the message loop.
        PostMessageA(Handle(), kDeferredShowMessage, 0, 0);
    }
}

void TMainForm::WireView()
{
    OnModeButton = [this](int mode) { ChangeMode(mode); };
    OnSettings = [this] { RunSettings(); };
    OnCalibrate = [this] { InformCalibration(); };
    OnCardButton = [this] { ShowCardNotice(); };
    // The window's own exit and close buttons only put the program back into the tray.
    OnExitButton = [this] { Hide(); };
    OnCloseButton = [this] { Hide(); };
    OnMinimizeButton = [] {
        if (lumo::TApplication* application = lumo::Application()) {
            application->Minimize();
        }
    };
    OnHoverEnd = [this] {
        ShowCurrentMode();
        RefreshTray();
    };
}

bool TMainForm::Overclocked() const
{
    return PowerGear::Instance().CheckOC();
}

std::string TMainForm::OverclockText() const
{
    return Translate(CpuPowerMonitor::Instance().IsBiosOverclocked() ? "CanNotRunUnderBiosOc"
                                                                     : "CanNotRunUnderApOc");
}

bool TMainForm::AutoMayBeRestored() const
{
    const CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
    return monitor.IsTypeF000() || (PowerGear::Instance().Thresholds().IsValid() &&
                                    !AdvanceSettings::Instance().CalibrationNeeded());
}

void TMainForm::ChooseInitialMode(bool bootSwitch)
{
    if (Overclocked()) {
        ClearRecoveryFlag(RecoveryFlag::CheckSafe);
        lumo::WinRegistry key;
        if (key.Open(reg::kRoot, reg::kMainKey, true)) {
            key.WriteDword(reg::kLastMode, 0);
        }
        return;
    }
    if (IsRecoveryFlagClear(RecoveryFlag::CheckSafe) && bootSwitch) {
        DWORD lastMode = 0;
        lumo::WinRegistry key;
        if (!key.Open(reg::kRoot, reg::kMainKey, false) ||
            !key.ReadDword(reg::kLastMode, lastMode)) {
            lastMode = 0;
        }
        m_bootMode = static_cast<int>(lastMode);
        if (m_bootMode != kGearAuto || AutoMayBeRestored()) {
            SetRecoveryFlag(RecoveryFlag::CheckSafe);
            Apply(kGearHighPerformance, false);
            m_initGearModeTimer.SetEnabled(true);
            ShowCurrentMode();
            return;
        }
    }
    ClearRecoveryFlag(RecoveryFlag::CheckSafe);
    Apply(kGearHighPerformance, false);
}

void TMainForm::Apply(int mode, bool apply)
{
    CpuPowerMonitor::Instance().ApplyMode(mode, apply);
    if (apply) {
        // The tray and the view follow once the mode thread is done.
        m_settleTicks = 0;
        m_settleTimer.SetEnabled(true);
    }
}

void TMainForm::OnSettle()
{
    ++m_settleTicks;
    if (!CpuPowerMonitor::Instance().WaitForModeThread(0) && m_settleTicks < kSettleTicks) {
        return;
    }
    m_settleTimer.SetEnabled(false);
    RefreshTray();
    ShowCurrentMode();
}

void TMainForm::OnInitGearModeTimer()
{
    m_initGearModeTimer.SetEnabled(false);
    Apply(m_bootMode, true);
}

int TMainForm::DisplayedMode() const
{
    return CpuPowerMonitor::Instance().CurrentMode();
}

void TMainForm::ShowCurrentMode()
{
    ShowMode(ReadModeDisplay(DisplayedMode()));
}

void TMainForm::ChangeMode(int requested)
{
    if (requested == kGearAuto && AutoGate() != 1) {
        ShowCurrentMode();
        return;
    }
    const int previous = DisplayedMode();
    Dial().MoveGear(requested);
    m_initGearModeTimer.SetEnabled(false);
    Apply(requested, true);
    Dial().Animate(ModeDial::DialIndex(previous), ModeDial::DialIndex(requested));
}

bool TMainForm::IsFirstRun() const
{
    if (CpuPowerMonitor::Instance().IsTypeF000()) {
        return false;
    }
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kMainKey, true)) {
        return false;
    }
    DWORD notFirst = 0;
    if (key.ReadDword(reg::kNotFirstTime, notFirst) && notFirst == 1) {
        return false;
    }
    key.WriteDword(reg::kNotFirstTime, 1);
    return true;
}

void TMainForm::ShowMainWindow()
{
    if (DialogsBusy()) {
        return;
    }
    if (Visible()) {
        ForceForeground(Handle());
    }
    const char* refusal = nullptr;
    if (Overclocked()) {
        ShowNotice(OverclockText());
        return;
    }
    if (IsConflictRunning()) {
        refusal = "ConflictOptiSuite";
    } else if (IsVoltTurnVisible()) {
        refusal = "CanNotRunUnderVoltTurn";
    }
    if (refusal) {
        ShowNotice(Translate(refusal));
        return;
    }
    if (IsFirstRun()) {
        OfferFirstRun();
    } else if (m_backToDefaultPending) {
        m_backToDefaultPending = false;
        NoticeBackToDefault();
    }
    ShowCurrentMode();
    Show();
    if (!m_shownOnce) {
        m_shownOnce = true;
        Panel().Show();
    }
    Panel().Refresh();
    if (lumo::TApplication* application = lumo::Application()) {
        application->Restore();
    }
    ForceForeground(Handle());
}

void TMainForm::ForceForeground(HWND window)
{
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    HWND foreground = GetForegroundWindow();
    DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached = foregroundThread && foregroundThread != windowThread &&
                    AttachThreadInput(foregroundThread, windowThread, TRUE);
    AllowSetForegroundWindow(ASFW_ANY);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    if (attached) {
        AttachThreadInput(foregroundThread, windowThread, FALSE);
    }
    if (GetForegroundWindow() != window) {
        // The foreground lock refused: lift it for the moment.
        DWORD timeout = 0;
        SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                              reinterpret_cast<void*>(static_cast<ULONG_PTR>(timeout)),
                              SPIF_SENDCHANGE);
    }
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
}

void TMainForm::ExitProgram()
{
    if (!Overclocked()) {
        if (DisplayedMode() != kGearHighPerformance) {
            if (AskExit() == 2) {
                return;
            }
        }
        CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
        monitor.ApplyMode(kGearHighPerformance, true);
        // High performance is in force before the process ends (bounded).
        if (!monitor.WaitForModeThread(kExitWaitMs)) {
            TraceLog("~~~[TMainForm] High performance not confirmed within %lu ms", kExitWaitMs);
        }
    }
    ClearRecoveryFlag(RecoveryFlag::Calibration);
    ClearRecoveryFlag(RecoveryFlag::Gear);
    Close();
}

void TMainForm::DoClose(lumo::TCloseAction& action)
{
    // Gone from the screen at once, while the application winds down.
    Hide();
    TMainView::DoClose(action);
}

void TMainForm::OnEnergyTick()
{
    CpuPowerMonitor::Instance().Tick(static_cast<int>(kEnergyIntervalMs / 1000));
    Panel().Refresh();
    // The watts beside the mode, without disturbing the tip timer or a balloon; the overclock
    // state as the last refresh found it.
    m_tray.UpdateTipOnly(TrayTooltip(TrayState{m_trayState.overclocked, DisplayedMode()}));
}

void TMainForm::OnIdleCheck()
{
    IdleWatcher& watcher = IdleWatcher::Instance();
    if (!watcher.Snapshot().enabled) {
        return;
    }
    LASTINPUTINFO input = {sizeof input, 0};
    if (!GetLastInputInfo(&input)) {
        return;
    }
    const DWORD now = GetTickCount();
    const bool idle = watcher.Check(now, input.dwTime);
    const IdleWatcher::State state = watcher.Snapshot();
    TraceLog("Current Time %lu, Last Input Time %lu, Idle Time %lu", now, state.lastInputTick,
             state.thresholdMs);
    if (!idle) {
        return;
    }
    if (CpuPowerMonitor::Instance().FirmwareDozeCapable()) {
        StartBlackScreen();
        return;
    }
    HWND doze = FindWindowA("TMainForm", "Opti Doze");
    if (doze && PowerGear::Instance().GetLevel() != 255) {
        // Bounded: a hung doze utility must not hang this window.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(doze, kOptiDozeMessage, peer::kMarker, 1,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kPeerSendWaitMs, &result);
    }
}

// ---- ControllerLink ------------------------------------------------------------------------

bool TMainForm::PendingStartupMode(int& mode)
{
    if (!m_initGearModeTimer.Enabled()) {
        return false;
    }
    mode = m_bootMode;
    return true;
}

void TMainForm::SetEnergyTimerEnabled(bool enabled)
{
    m_energyTimer.SetEnabled(enabled);
}

void TMainForm::RefreshTray()
{
    const TrayState state = CurrentTrayState();
    UpdateTrayIcon(state);
    UpdateTrayTooltip(state);
}

void TMainForm::RefreshAutoState()
{
    RefreshTray();
    ShowCurrentMode();
}

void TMainForm::RefreshCardButton(bool cardSavesInAnyMode)
{
    VgaButton->SetEnabled(!cardSavesInAnyMode);
    RefreshView();
}

void TMainForm::RefreshView()
{
    if (!m_started) {
        return;
    }
    ShowCurrentMode();
}

// ---- messages ------------------------------------------------------------------------------

bool TMainForm::ApplicationHook(lumo::TMessage& message)
{
    if (m_broadcastMessage && message.Msg == m_broadcastMessage) {
        if (!peer::IsMarked(message.WParam)) {
            return false;
        }
        const int command = static_cast<int>((message.WParam >> 8) & 0xFF);
        if (command != kStatusChangedCommand && command != kModeChangedCommand) {
            return false;
        }
        OnBroadcast(message.WParam, message.LParam);
        message.Result = 0;
        return true;
    }
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CLOSE) {
        // Closing from the application's window only puts the program back into the tray.
        Hide();
        message.Result = 0;
        return true;
    }
    return false;
}

void TMainForm::OnBroadcast(WPARAM wParam, LPARAM lParam)
{
    const int command = static_cast<int>((wParam >> 8) & 0xFF);
    if (command == kStatusChangedCommand) {
        if (lParam != kStatusChangedParam) {
            return;
        }
        CpuPowerMonitor::Instance().NotifyStatusChanged();
        RefreshTray();
        ShowCurrentMode();
        return;
    }
    ShowCurrentMode();
    RefreshTray();
    if (Overclocked()) {
        Hide();
    }
}

void TMainForm::OnPowerBroadcast(WPARAM event)
{
    if (event == kSuspend) {
        m_suspendMode = DisplayedMode();
        return;
    }
    if (event == kResumeCritical || event == kResumeSuspend) {
        if (Overclocked()) {
            return;
        }
        // A critical suspend comes without its notice: the mode shown then is the one to keep.
        Apply(m_suspendMode >= 0 ? m_suspendMode : DisplayedMode(), true);
    }
}

void TMainForm::OnEndSession()
{
    ClearRecoveryFlag(RecoveryFlag::CheckSafe);
    if (!Overclocked()) {
        PowerGear& gear = PowerGear::Instance();
        gear.SetItem(item::kGearLevel, 0);
        gear.SetItem(item::kGearEngineOpen, 0);
    }
}

bool TMainForm::HandlePeerCommand(lumo::TMessage& message)
{
    if (message.Msg < peer::kClose || message.Msg > peer::kForeground ||
        !peer::IsMarked(message.WParam)) {
        return false;
    }
    switch (message.Msg) {
    case peer::kClose:
        Close();
        break;
    case peer::kMinimize:
        if (lumo::TApplication* application = lumo::Application()) {
            application->Minimize();
        }
        break;
    case peer::kShow:
    case peer::kShowPeer:
        // Sent messages get through while the start waits for the first mode (a second
        // instance started at once): the window and its dialogs are not set up yet.
        if (!m_ready) {
            m_showPending = true;
        } else if (InSendMessage()) {
            // From another program or thread (a second instance, or one that reached this window
            // while it waited in a pipe call): from the message loop, so the show and the notices
            // it may open neither hold the sender nor run inside that wait.
            PostMessageA(Handle(), kDeferredShowMessage, 0, 0);
        } else {
            ShowMainWindow();
        }
        break;
    case peer::kForeground:
        SetForegroundWindow(Handle());
        break;
    default:
        return false;
    }
    message.Result = 0;
    return true;
}

void TMainForm::WndProc(lumo::TMessage& message)
{
    if (HandlePeerCommand(message)) {
        return;
    }
    switch (message.Msg) {
    case WM_ENDSESSION:
        OnEndSession();
        break;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(message.WParam);
        break;
    case kPipeMessage:
        CpuPowerMonitor::Instance().OnBoardPipeNotification(message.WParam);
        message.Result = 0;
        return;
    case kDeferredShowMessage:
        m_showPending = false;
        ShowMainWindow();
        message.Result = 0;
        return;
    case kHighPerformanceMessage:
        Apply(kGearHighPerformance, true);
        message.Result = 0;
        return;
    case TrayIcon::kCallbackMessage:
        OnTrayCallback(message.LParam);
        message.Result = 0;
        return;
    case WM_COMMAND:
        if (message.LParam == 0 && HIWORD(message.WParam) == 0 &&
            LOWORD(message.WParam) >= TrayIcon::kShowTipsCommand &&
            LOWORD(message.WParam) <= TrayIcon::kExitCommand) {
            OnTrayCommand(LOWORD(message.WParam));
            message.Result = 0;
            return;
        }
        break;
    default:
        if (m_liveGdiMessage && message.Msg == m_liveGdiMessage) {
            message.Result = lumo::LiveGdiObjects();
            return;
        }
        if (m_taskbarCreatedMessage && message.Msg == m_taskbarCreatedMessage) {
            // The shell started again: its notification area has lost the icon.
            if (m_started) {
                m_tray.Recreate();
                RefreshTray();
            }
            message.Result = 0;
            return;
        }
        break;
    }
    TMainView::WndProc(message);
}

} // namespace tv
