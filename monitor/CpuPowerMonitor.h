#pragma once
// The process-wide power monitor: the board's controller type, the CPU power reading and the two
// energy accounts it feeds, the single entry through which a power mode is requested (one mode
// thread at a time), the Auto-state poll of the types that choose Auto's state themselves, the
// graphics-card synchronisation, and the per-gear parameter cache of the mode profiles. Every
// operation runs on the GUI thread.
#include "lumo/System/Source/Owners.h"
#include "monitor/EnergySaving.h"
#include "power/ControllerType.h"
#include "power/GearParameters.h"

#include <windows.h>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace lumo {
class TTimer;
}

namespace tv {

class QemPipeServerThread;

class CpuPowerMonitor
{
public:
    static constexpr DWORD kModeWaitMs = 3000;
    static constexpr unsigned kOcStatusIntervalMs = 3500;
    // The two states Auto stands for, as saving indices: performance and saving.
    static constexpr int kAutoPerformance = 1;
    static constexpr int kAutoSaving = 3;
    // CardSavesIn: in any saving mode.
    static constexpr int kAnySavingMode = 255;

    // Created and initialised on the first call (the power-gear implementation selected
    // before); installs the calibration environment. Lives until the process ends. The object
    // exists before its set-up calls out, so a call back into Instance() from there (the card
    // button refresh reaching the main window, which refreshes through the monitor) finds it.
    static CpuPowerMonitor& Instance();

    // A monitor for a board of this controller type, initialised in the same order as the
    // process-wide one but with its own parameter cache (tests make one per simulated board).
    explicit CpuPowerMonitor(uint32_t controllerType);
    ~CpuPowerMonitor();
    CpuPowerMonitor(const CpuPowerMonitor&) = delete;
    CpuPowerMonitor& operator=(const CpuPowerMonitor&) = delete;

    // ---- controller type ----------------------------------------------------------------

    uint32_t ControllerType() const { return m_controllerType; }
    bool IsFFamily() const { return controller::IsFFamily(m_controllerType); }
    bool Is7Family() const { return controller::Is7Family(m_controllerType); }
    bool IsTypeF000() const { return controller::IsTypeF000(m_controllerType); }
    bool IsAutoPollingType() const { return controller::IsAutoPollingType(m_controllerType); }
    bool IsFineScaleType() const { return controller::IsFineScaleType(m_controllerType); }
    // Auto can be used: type F000, or calibrated thresholds.
    bool AutoModeReady() const;
    // Item 0x09080000 reads and is neither 1 nor 2.
    bool IsBiosOverclocked() const;
    // The firmware blacks the screen out itself (revision 2 or later); probed once per process.
    bool FirmwareDozeCapable() const;

    // ---- power and energy -----------------------------------------------------------------

    // The CPU power now, in watts, at least 2.5.
    double CpuPower() const;
    // The saving index of the level in force (0..3).
    int SavingIndex() const;
    // The state Auto stands for: 1 or 3.
    int AutoState() const;
    // The normalised mode in force, or the start-up mode still pending.
    int CurrentMode() const;
    // One energy tick: the board's power read, both accounts booked and stored.
    void Tick(int seconds);
    void ResetCumulative();
    const EnergySaving& BoardAccount() const { return m_board; }
    const EnergySaving& CardAccount() const { return m_card; }
    double BoardCurrentPower() const { return m_board.CurrentPower(); }
    double BoardTotalSaving() const { return m_board.TotalSaving(); }
    double BoardCumulativeSaving() const { return m_board.CumulativeSaving(); }
    double CardTotalSaving() const { return m_card.TotalSaving(); }
    double CardCumulativeSaving() const { return m_card.CumulativeSaving(); }

    // ---- modes ----------------------------------------------------------------------------

    // Every mode request: normalised, after the previous mode thread ended (at most 3000 ms),
    // applied by a new mode thread; on the Auto-polling types Auto starts the Auto-state poll
    // in the saving state and any other mode stops it. The wait runs queued GUI work and
    // delivers sent messages: a request made from there (message 1055, a resume, a tray choice)
    // is queued and applied in turn after the one under way, never nested inside its wait.
    void ApplyMode(int mode, bool apply);
    // Waits until no mode thread runs (false on time-out), without taking the turn of the next
    // request.
    bool WaitForModeThread(DWORD timeoutMs);
    // The Auto-state poll (OcStatusTimer, F family only).
    bool OcStatusTimerEnabled() const;
    // One tick of the poll: the CPU load against Threshold1 and Threshold2 chooses the state.
    void PollAutoState();
    // The state changed: the card told (when it follows Auto), the change listener called.
    void NotifyStatusChanged();
    // Called with the saving index and the card's mode index.
    using ChangeListener = std::function<void(int savingIndex, int cardModeIndex)>;
    void SetChangeListener(ChangeListener listener) { m_changeListener = std::move(listener); }

    // ---- graphics card --------------------------------------------------------------------

    // Starts serving the board pipe once: notifications are posted to window as message (with
    // the code as WPARAM). False when the pipe cannot be served; a later call tries again.
    bool StartPipeServer(HWND window, UINT message);
    // The main window's handler of that message: the reactions below by code (0, 1, 0x1000,
    // 0x1001); other codes are ignored.
    void OnBoardPipeNotification(WPARAM code);
    void OnCardConnected();
    void OnCardDisconnected();
    void OnSyncSettingChanged();
    void OnCardModeChanged();
    void QueryCardCapabilities();
    // Sends the effective mode to the card while the user has synchronisation on.
    void PushModeToCard();
    // The card saves in that mode (255: in a saving mode); false while it is not connected.
    bool CardSavesIn(int mode) const;

    bool CardConnected() const { return m_cardConnected != 0; }
    bool QemSupported() const { return m_qemSupported != 0; }
    bool AutoSupported() const { return m_autoSupported != 0; }
    bool SyncEnabled() const { return m_syncEnabled != 0; }
    bool MonitorSupported() const { return m_monitorSupported != 0; }
    // The card's own mode as a saving index.
    int CardModeIndex() const { return m_cardModeIndex; }

    // ---- per-gear parameters --------------------------------------------------------------

    // The start-up values of gear 0..3 (gear 1 and others: zeros).
    void GetGearParameters(int gear, int32_t& a, int32_t& b, int32_t& c, int32_t& d) const;
    // Gears 0, 2, 3: vCore (b) and the second voltage item (c) to the gear's bank.
    void SetGearParameters(int gear, int32_t b, int32_t c);

private:
    class ModeDoneEvent;
    struct ModeRequest
    {
        int level;
        bool apply;
    };

    // The shared cache, or else the owned one; initialise: run the set-up at once.
    CpuPowerMonitor(uint32_t controllerType, GearParameters* shared,
                    std::unique_ptr<GearParameters> owned, bool initialise);
    static uint32_t OpenGearEngine(uint32_t controllerType);
    void Initialise();
    int SavingIndexOf(int level) const;
    void ApplyNow(const ModeRequest& request);
    void StartModeThread(int level, bool apply);
    void WriteCardCapabilities() const;
    void RefreshCardButton() const;

    uint32_t m_controllerType;
    std::unique_ptr<GearParameters> m_ownedParameters;
    GearParameters& m_parameters;

    std::unique_ptr<QemPipeServerThread> m_pipeServer;
    BYTE m_cardConnected = 0;
    ChangeListener m_changeListener;
    BYTE m_qemSupported = 0;
    BYTE m_autoSupported = 0;
    BYTE m_syncEnabled = 0;
    BYTE m_monitorSupported = 0;
    int m_cardModeIndex = 1;
    MbEnergySaving m_board;
    VgaEnergySaving m_card;
    // Shared with the termination handlers of the mode threads, which may end after us.
    std::shared_ptr<ModeDoneEvent> m_modeDone;
    // Set when the body of the last thread started has ended; the next body waits for it.
    std::shared_ptr<lumo::KernelHandle> m_lastBodyDone;
    // True while ApplyMode runs; requests made meanwhile wait in m_queuedModes.
    bool m_applyingMode = false;
    std::deque<ModeRequest> m_queuedModes;
    std::unique_ptr<lumo::TTimer> m_ocStatusTimer;
    int m_autoState = kAutoPerformance;
};

// The CPU power in watts from the raw reading of item 0x0E0B0013 by controller type, before the
// 2.5 W floor: milliwatts (or 5-milliwatt steps on 0x7010) on the F and 7 families, else a
// linear-11 number in the low 16 bits (traced).
double DecodeCpuPower(uint32_t controllerType, uint32_t raw);

} // namespace tv
