#pragma once
// The main window (window class "TMainForm", caption "Hexavolt") and the program's controller:
// hidden in the tray after start, it owns the energy, idle and boot-restore timers, the tray
// icon and its menu, chooses the mode at start and after a resume, answers the peers' window
// messages and runs the exit path. The view it shows is TMainView.
#include "lumo/Forms/Timer.h"
#include "shell/TrayIcon.h"
#include "shell/base/ControllerLink.h"
#include "views/MainView.h"

#include <string>

namespace tv {

class TMainForm : public TMainView, public ControllerLink
{
public:
    LUMO_CLASS_NAME(TMainForm)
    static constexpr UINT kPipeMessage = WM_USER + 30;            // 1054, from the pipe server
    static constexpr UINT kHighPerformanceMessage = WM_USER + 31; // 1055
    static constexpr UINT kOptiDozeMessage = WM_USER + 16;        // 1040, to "Opti Doze"
    // A show asked for while the program was still starting, carried out once it runs.
    static constexpr UINT kDeferredShowMessage = WM_APP + 0x101;
    static constexpr unsigned kEnergyIntervalMs = 5000;
    static constexpr unsigned kIdleIntervalMs = 5000;
    static constexpr unsigned kInitGearModeIntervalMs = 60000;
    static constexpr unsigned kSettleIntervalMs = 100;
    // The exit path waits this long for High performance to be in force.
    static constexpr DWORD kExitWaitMs = 5000;
    static constexpr UINT kPeerSendWaitMs = 2000;

    // Registers the broadcast message and the application hook, and runs the crash-recovery
    // check of "Calibration_Flag" and "Gear_Flag".
    explicit TMainForm(lumo::TComponent* owner);
    ~TMainForm() override;

    // The start operation (once): pipe server, tray icon, view, timers and the initial mode.
    void Start(bool bootSwitch);

    // Show (tray double-click, peer messages 1026 and 1027): refused while overclocked, beside a
    // conflicting utility or a visible VoltTurn (a notice instead); else the first-run offer or
    // the back-to-default notice, then the window in front.
    void ShowMainWindow();
    // Brings a window to the foreground even when another process holds the foreground.
    static void ForceForeground(HWND window);

    // A mode button: the Auto gate for Auto, then the dial moved, a pending boot restore
    // dropped, the mode applied and the dial animated.
    void ChangeMode(int requested);
    // "Exit" of the tray menu: the question unless in High performance (or overclocked), High
    // performance applied and awaited, the recovery flags cleared, the program ended.
    void ExitProgram();

    // The normalised mode shown: the pending boot mode, else the level in force.
    int DisplayedMode() const;
    // The registered "WM_KALDO_BROADCAST_MESSAGE" (0 when registering failed).
    UINT BroadcastMessage() const { return m_broadcastMessage; }
    bool BackToDefaultPending() const { return m_backToDefaultPending; }
    int BootMode() const { return m_bootMode; }
    lumo::TTimer& EnergySavingTimer() { return m_energyTimer; }
    lumo::TTimer& IdleTimer() { return m_idleTimer; }
    lumo::TTimer& InitGearModeTimer() { return m_initGearModeTimer; }
    TrayIcon& Tray() { return m_tray; }

    // What the tray shows: the overclock check (a pipe call when the library says no) is made
    // once per refresh.
    struct TrayState
    {
        bool overclocked;
        int mode;
    };
    TrayState CurrentTrayState() const;
    static int TrayIconIndex(const TrayState& state);
    std::string TrayTooltip(const TrayState& state) const;
    std::string BalloonText(const TrayState& state) const;

    // ---- ControllerLink ----
    bool PendingStartupMode(int& mode) override;
    void SetEnergyTimerEnabled(bool enabled) override;
    void RefreshTray() override;
    void RefreshAutoState() override;
    void RefreshCardButton(bool cardSavesInAnyMode) override;
    void RefreshView() override;

    void WndProc(lumo::TMessage& message) override;

protected:
    void DoClose(lumo::TCloseAction& action) override;

private:
    bool ApplicationHook(lumo::TMessage& message);
    bool HandlePeerCommand(lumo::TMessage& message);
    void OnBroadcast(WPARAM command, LPARAM lParam);
    void OnPowerBroadcast(WPARAM event);
    void OnTrayCallback(LPARAM event);
    void OnTrayCommand(UINT command);
    void OnEndSession();

    void WireView();
    void ChooseInitialMode(bool bootSwitch);
    bool AutoMayBeRestored() const;
    void Apply(int mode, bool apply);
    void OnInitGearModeTimer();
    void OnEnergyTick();
    void OnIdleCheck();
    void OnSettle();
    bool IsFirstRun() const;
    bool Overclocked() const;
    std::string OverclockText() const;
    void ShowCurrentMode();

    // Tray: icon and tip without a balloon; tip with the balloon when tips are on.
    void UpdateTrayIcon(const TrayState& state);
    void UpdateTrayTooltip(const TrayState& state);
    void OpenTrayMenu();

    // The dialogs of the flow.
    bool DialogsBusy() const;
    void ShowNotice(const std::string& text);
    void OfferFirstRun();
    void NoticeBackToDefault();
    int AskExit();
    int AutoGate();
    void InformCalibration();
    void ShowCardNotice();
    void RunSettings();
    void StartBlackScreen();

    UINT m_broadcastMessage = 0;
    UINT m_taskbarCreatedMessage = 0;
    UINT m_liveGdiMessage = 0;
    int m_hookId = 0;
    bool m_backToDefaultPending = false;
    bool m_started = false;
    // The start operation has ended; show requests before that wait for it.
    bool m_ready = false;
    bool m_showPending = false;
    bool m_shownOnce = false;
    int m_bootMode = 0;
    int m_suspendMode = -1;
    int m_settleTicks = 0;
    TrayState m_trayState = {false, 0};
    lumo::TTimer m_energyTimer;
    lumo::TTimer m_idleTimer;
    lumo::TTimer m_initGearModeTimer;
    lumo::TTimer m_settleTimer;
    TrayIcon m_tray;
};

} // namespace tv
