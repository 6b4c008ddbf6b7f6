#include "shell/SettingsFlow.h"

#include "lumo/Forms/Application.h"
#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "shell/DialogFlow.h"
#include "views/AdvancedSetting.h"

namespace tv {
namespace {

constexpr int kEditedProfiles = TAdvancedSetting::kTabCount;

TAdvancedSetting& SettingsWindow()
{
    lumo::TApplication* application = lumo::Application();
    LUMO_ASSERT(application != nullptr);
    for (lumo::TForm* form : application->Forms()) {
        if (auto* window = dynamic_cast<TAdvancedSetting*>(form)) {
            return *window;
        }
    }
    auto* window = new TAdvancedSetting(application);
    window->HandleNeeded();
    return *window;
}

} // namespace

int RunSettingsFlow()
{
    TAdvancedSetting& window = SettingsWindow();
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
    // The Yes/No question: accepting must mark the calibration as due, which a calibration run
    // here would have made wrong; the Auto gate offers it when Auto is chosen next.
    if (voltageChanged && DialogFlow::Instance().AskChangeSetting() != DialogFlow::kLeft) {
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
