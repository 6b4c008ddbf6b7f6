#pragma once
// What the main window shows of a mode: the mode, Auto's level and the four status lights.
#include <cstdint>

namespace tv {

// What the lights are made of: whether the graphics card saves in the mode, the mode profile's
// disk spin-down time (seconds) and fan flag, and the two fan settings the fan facade reports
// (255: the BIOS does not control that fan).
struct LightInputs
{
    bool cardSaves = false;
    int32_t spinDownSeconds = 0;
    int32_t profileFan = 0;
    int cpuFanMode = 255;
    int chassisFanMode = 255;
};

struct ModeDisplay
{
    int mode = 0;      // normalised: 0, 2 or 0x8000 (Turbo 0x4000 and Medium 1 show too)
    int autoLevel = 1; // the saving index Auto runs at (1 or 3)
    bool cpuLed = false;
    bool vgaLed = false;
    bool driveLed = false;
    bool fanLed = false;
};

// CPU: Auto, Medium or Max power saving; card: it saves in the mode; disk: a spin-down time of
// at least 60 s (read unsigned); fans: a fan setting other than 255, or the profile's quiet fans.
ModeDisplay MakeModeDisplay(int mode, int autoLevel, const LightInputs& inputs);

// The inputs as the engine reports them now for mode. Fan settings are read only where the board
// has the fan items; elsewhere they count as 255.
LightInputs ReadLightInputs(int mode);
// The displayed mode, Auto's level and the lights, from the engine.
ModeDisplay ReadModeDisplay(int mode);

} // namespace tv
