// The main controller's tray icon: which icon file, which tooltip and balloon, the callback
// and the menu.
#include "shell/MainForm.h"

#include "lumo/System/Source/ProgramDir.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/GearLevel.h"
#include "shell/Startup.h"
#include "shell/base/Translate.h"

#include <cstdio>

namespace tv {
namespace {

constexpr int kOverclockIcon = 0;

const char* ModeNameKey(int mode)
{
    switch (mode) {
    case kGearAuto:
        return "Auto";
    case kGearTurbo:
        return "Turbo";
    case kGearMediumSaving:
        return "Medium power saving";
    case kGearMaxSaving:
        return "Max power saving";
    default:
        return "High performance";
    }
}

// "%1" of a translated text replaced by value.
std::string Fill(const std::string& text, const std::string& value)
{
    std::string filled = text;
    const size_t at = filled.find("%1");
    if (at != std::string::npos) {
        filled.replace(at, 2, value);
    }
    return filled;
}

} // namespace

TMainForm::TrayState TMainForm::CurrentTrayState() const
{
    return TrayState{Overclocked(), DisplayedMode()};
}

int TMainForm::TrayIconIndex(const TrayState& state)
{
    if (state.overclocked) {
        return kOverclockIcon;
    }
    int index = 1;
    switch (const int mode = state.mode) {
    case kGearTurbo:
        index = 0;
        break;
    case kGearHighPerformance:
    case kGearMediumSaving:
    case kGearMaxSaving:
        index = mode + 1;
        break;
    case kGearAuto:
        index = CpuPowerMonitor::Instance().AutoState();
        break;
    default:
        break;
    }
    return index < 0 ? 0 : (index > 3 ? 3 : index);
}

std::string TMainForm::TrayTooltip(const TrayState& state) const
{
    if (state.overclocked) {
        return OverclockText();
    }
    std::string tip = Translate("Mode") + ": " + Translate(ModeNameKey(state.mode));
    char watts[32];
    std::snprintf(watts, sizeof watts, "%.1f", CpuPowerMonitor::Instance().BoardCurrentPower());
    const std::string power = Fill(Translate("TrayCpuPower"), watts);
    // The mode always fits; the watts only when they fit whole.
    if (tip.size() + 1 + power.size() <= TrayIcon::kTipLength) {
        tip += "\n" + power;
    }
    return tip;
}

std::string TMainForm::BalloonText(const TrayState& state) const
{
    if (state.overclocked) {
        return OverclockText();
    }
    return Fill(Translate("TrayModeActive"), Translate(ModeNameKey(state.mode)));
}

void TMainForm::UpdateTrayIcon(const TrayState& state)
{
    m_trayState = state;
    char name[16];
    std::snprintf(name, sizeof name, "%d.ico", TrayIconIndex(state));
    m_tray.LoadIconFile(lumo::ProgramDirectory() + "Resource\\" + name);
    m_tray.UpdateIcon(TrayTooltip(state));
}

void TMainForm::UpdateTrayTooltip(const TrayState& state)
{
    m_trayState = state;
    if (AdvanceSettings::Instance().BalloonTipsEnabled()) {
        const std::string balloon = BalloonText(state);
        m_tray.UpdateTooltip(TrayTooltip(state), &balloon);
    } else {
        m_tray.UpdateTooltip(TrayTooltip(state), nullptr);
    }
}

void TMainForm::OnTrayCallback(LPARAM event)
{
    switch (event) {
    case WM_MOUSEMOVE:
        if (!m_tray.TipTimer().Enabled()) {
            UpdateTrayTooltip(CurrentTrayState());
        }
        break;
    case WM_LBUTTONDBLCLK:
        ShowMainWindow();
        break;
    case WM_RBUTTONUP:
        OpenTrayMenu();
        break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONUSERCLICK:
        m_tray.RunTipTimer(TrayIcon::kTipAfterBalloonMs);
        break;
    default:
        break;
    }
}

void TMainForm::OpenTrayMenu()
{
    m_tray.RunTipTimer(TrayIcon::kTipMs);
    UpdateTrayIcon(CurrentTrayState());
    AdvanceSettings& settings = AdvanceSettings::Instance();
    m_tray.OpenMenu(Translate("Show tips"), settings.BalloonTipsEnabled(), Translate("AutoRun"),
                    settings.RunAtSystemStartup(), Translate("Exit"));
}

void TMainForm::OnTrayCommand(UINT command)
{
    AdvanceSettings& settings = AdvanceSettings::Instance();
    switch (command) {
    case TrayIcon::kShowTipsCommand: {
        const bool enabled = !settings.BalloonTipsEnabled();
        settings.SetBalloonTipsEnabled(enabled);
        if (!enabled) {
            UpdateTrayIcon(CurrentTrayState());
        }
        break;
    }
    case TrayIcon::kAutoRunCommand:
        settings.SetRunAtSystemStartup(!settings.RunAtSystemStartup());
        break;
    case TrayIcon::kExitCommand:
        ExitProgram();
        break;
    default:
        break;
    }
}

} // namespace tv
