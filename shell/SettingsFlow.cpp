#include "shell/SettingsFlow.h"

#include "lumo/System/Source/TraceLog.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "views/AdvancedSetting.h"

namespace tv {
namespace {

constexpr int kEditedProfiles = TAdvancedSetting::kTabCount;

} // namespace

int RunSettingsFlow(TAdvancedSetting& window, const std::function<int()>& askChangeSetting)
{
    const int result = window.ShowAdvancedSettings();
    if (result != TAdvancedSetting::kConfirmedWithVoltageChange &&
        result != TAdvancedSetting::kConfirmed) {
        return result;
    }
    AdvanceSettings& store = AdvanceSettings::Instance();
    ModeProfile backups[kEditedProfiles];
    for (int i = 0; i < kEditedProfiles; ++i) {
        backups[i] = store.GetProfile(i);
    }
    for (int i = 0; i < kEditedProfiles; ++i) {
        store.SetProfile(i, window.WorkingProfile(i));
    }
    const bool voltageChanged = result == TAdvancedSetting::kConfirmedWithVoltageChange;
    if (voltageChanged && askChangeSetting() != 1) {
        for (int i = 0; i < kEditedProfiles; ++i) {
            store.SetProfile(i, backups[i]);
        }
        TraceLog("~~~[AdvancedSetting] New voltage settings declined, previous ones restored");
        return result;
    }
    CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
    monitor.ApplyMode(monitor.CurrentMode(), true);
    if (voltageChanged) {
        store.SetCalibrationNeeded(1);
    }
    store.SaveAll();
    return result;
}

} // namespace tv
