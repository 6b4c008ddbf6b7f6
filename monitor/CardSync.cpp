// The graphics-card synchronisation of the power monitor: the card utility's capabilities, power
// and saving factors, the board's mode pushed to the card, and the reactions to the card
// utility's notifications on the board pipe.
#include "monitor/CpuPowerMonitor.h"

#include "ipc/PipeProtocol.h"
#include "ipc/QemPipeClient.h"
#include "ipc/QemPipeServerThread.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "power/GearLevel.h"
#include "power/PowerGear.h"
#include "shell/base/ControllerLink.h"
#include "shell/base/RegistrySchema.h"

namespace tv {
namespace {

// The card's saving values per saving index are asked for these modes.
constexpr int kSavingModes[EnergySaving::kSavingIndexCount] = {kGearTurbo, kGearHighPerformance,
                                                               kGearMediumSaving, kGearMaxSaving};
// The card's saving values are in 0.0001 of its power, its power in milliwatts.
constexpr double kSavingUnit = 0.0001;
constexpr double kMilliwatt = 0.001;
// Factors up to this do not count as saving.
constexpr double kNegligibleFactor = 0.01;
// Tells the card that the mode is the board's own Auto choice.
constexpr uint32_t kBoardAutoChoice = 0x80000000u;

// The user's synchronisation switch, kept by the card utility in its own key.
bool ReadCardSyncSwitch()
{
    lumo::WinRegistry key;
    DWORD value = 0;
    return key.Open(reg::kRoot, reg::kCardUtilityKey, false) &&
           key.ReadDword(reg::kSyncEnabled, value) && value == 1;
}

// The card's mode as a saving index; -1 for "any saving mode".
int CardSavingIndex(int mode)
{
    switch (mode) {
    case kGearTurbo:
        return 0;
    case kGearMediumSaving:
        return 2;
    case kGearMaxSaving:
        return 3;
    case kGearAuto:
    case CpuPowerMonitor::kAnySavingMode:
        return -1;
    default:
        return 1;
    }
}

} // namespace

bool CpuPowerMonitor::StartPipeServer(HWND window, UINT message)
{
    if (m_pipeServer && m_pipeServer->IsRunning()) {
        return true;
    }
    auto server = std::make_unique<QemPipeServerThread>();
    if (!server->Start(window, message)) {
        TraceLog("~~~[CpuPowerMonitor] the board pipe cannot be served");
        return false;
    }
    m_pipeServer = std::move(server);
    return true;
}

void CpuPowerMonitor::OnBoardPipeNotification(WPARAM code)
{
    switch (code) {
    case pipe::kCardConnected:
        OnCardConnected();
        break;
    case pipe::kCardDisconnected:
        OnCardDisconnected();
        break;
    case pipe::kCardSyncSettingChanged:
        OnSyncSettingChanged();
        break;
    case pipe::kCardModeChanged:
        OnCardModeChanged();
        break;
    default:
        TraceLog("~~~[CpuPowerMonitor] unknown card notification %lx",
                 static_cast<unsigned long>(code));
        break;
    }
}

void CpuPowerMonitor::OnCardConnected()
{
    m_cardConnected = 1;
    RefreshCardButton();
    QueryCardCapabilities();
    int pending = 0;
    // A start-up mode still pending reaches the card when it is applied.
    if (!controller_link::PendingStartupMode(pending)) {
        PushModeToCard();
    }
}

void CpuPowerMonitor::OnCardDisconnected()
{
    m_cardConnected = 0;
    RefreshCardButton();
}

void CpuPowerMonitor::OnSyncSettingChanged()
{
    m_syncEnabled = ReadCardSyncSwitch() ? 1 : 0;
    PushModeToCard();
    TraceLog("%s", m_syncEnabled ? "~~~Vga and MB Sync Enable" : "~~~Vga and MB Sync Disable");
    RefreshCardButton();
}

void CpuPowerMonitor::OnCardModeChanged()
{
    int mode = 0;
    if (QemPipeClient::Instance().GetCardMode(mode)) {
        const int index = CardSavingIndex(mode);
        m_cardModeIndex = index < 0 ? 1 : index;
    }
}

void CpuPowerMonitor::QueryCardCapabilities()
{
    QemPipeClient& card = QemPipeClient::Instance();
    DWORD bits = 0;
    DWORD milliwatts = 0;
    if (!card.GetCardCapabilities(bits, milliwatts)) {
        m_qemSupported = 0;
        WriteCardCapabilities();
        return;
    }
    TraceLog("~~~[CpuPowerMonitor]::QueryVgaCapablility");
    m_qemSupported = bits & 1;
    m_monitorSupported = (bits >> 1) & 1;
    m_autoSupported = (bits >> 2) & 1;
    m_syncEnabled = ReadCardSyncSwitch() ? 1 : 0;
    m_card.SetCurrentPower(static_cast<double>(milliwatts) * kMilliwatt);

    // The factors change only as a whole: one failed answer keeps the old ones.
    DWORD values[EnergySaving::kSavingIndexCount] = {};
    bool answered = true;
    for (int index = 0; index < EnergySaving::kSavingIndexCount && answered; ++index) {
        answered = card.GetCardSaving(kSavingModes[index], values[index]);
    }
    if (answered) {
        for (int index = 0; index < EnergySaving::kSavingIndexCount; ++index) {
            m_card.SetFactor(index, static_cast<double>(values[index]) * kSavingUnit);
        }
    }

    m_cardConnected = 1;
    RefreshCardButton();
    WriteCardCapabilities();
}

void CpuPowerMonitor::PushModeToCard()
{
    if (!m_syncEnabled) {
        return;
    }
    // Auto resolves to the level it stands for now. The level is read once: a mode change
    // between two reads would send a value made of both.
    const int level = PowerGear::Instance().GetLevel();
    uint32_t mode = static_cast<uint32_t>(GearLevelFromProfileIndex(SavingIndexOf(level)));
    if (level == kGearAuto) {
        if (m_autoSupported) {
            mode = kGearAuto;
        } else {
            if (mode == kGearMaxSaving) {
                mode = kGearMediumSaving;
            }
            mode |= kBoardAutoChoice;
        }
    }
    TraceLog("~~~[CpuPowerMonitor] Set Vga to mode %x", mode);
    QemPipeClient::Instance().SetCardMode(static_cast<int>(mode));
}

bool CpuPowerMonitor::CardSavesIn(int mode) const
{
    if (!m_cardConnected) {
        return false;
    }
    const int index = CardSavingIndex(mode);
    if (index < 0) {
        return m_card.Factor(2) > kNegligibleFactor || m_card.Factor(3) > kNegligibleFactor;
    }
    return m_card.Factor(index) > kNegligibleFactor;
}

void CpuPowerMonitor::WriteCardCapabilities() const
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kQemKey, true)) {
        return;
    }
    key.WriteDword(reg::kQemSupported, m_qemSupported);
    key.WriteDword(reg::kAutoSupported, m_autoSupported);
    key.WriteDword(reg::kSyncEnabled, m_syncEnabled);
    key.WriteDword(reg::kMonitorSupported, m_monitorSupported);
}

void CpuPowerMonitor::RefreshCardButton() const
{
    controller_link::RefreshCardButton(CardSavesIn(kAnySavingMode));
}

} // namespace tv
