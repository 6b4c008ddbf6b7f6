#include "views/StatusLights.h"

#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/GearLevel.h"
#include "power/KFanLib.h"
#include "power/PowerGear.h"

namespace tv {

ModeDisplay MakeModeDisplay(int mode, int autoLevel, const LightInputs& inputs)
{
    ModeDisplay display;
    display.mode = mode;
    display.autoLevel = autoLevel;
    display.cpuLed = mode == kGearAuto || mode == kGearMediumSaving || mode == kGearMaxSaving;
    display.vgaLed = inputs.cardSaves;
    display.driveLed = static_cast<uint32_t>(inputs.spinDownSeconds) >= 60;
    display.fanLed =
        inputs.cpuFanMode != 255 || inputs.chassisFanMode != 255 || inputs.profileFan == 1;
    return display;
}

LightInputs ReadLightInputs(int mode)
{
    LightInputs inputs;
    CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
    inputs.cardSaves = monitor.CardSavesIn(mode);
    const ModeProfile profile =
        AdvanceSettings::Instance().GetProfile(ProfileIndexFromGearLevel(mode));
    inputs.spinDownSeconds = profile.spinDownTimeout;
    inputs.profileFan = profile.fan;
    // Without the fan items every read would fail with a message box on each refresh.
    if (PowerGear::Instance().IsKFanThreeSupported()) {
        KFanLib& fans = KFanLib::Instance();
        inputs.cpuFanMode = fans.CpuFanMode() & 0xFF;
        inputs.chassisFanMode = fans.ChassisFanMode() & 0xFF;
    }
    return inputs;
}

ModeDisplay ReadModeDisplay(int mode)
{
    return MakeModeDisplay(mode, CpuPowerMonitor::Instance().AutoState(), ReadLightInputs(mode));
}

} // namespace tv
