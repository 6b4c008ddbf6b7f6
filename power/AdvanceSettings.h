#pragma once
// The process-wide store of the five mode profiles and the two tray-menu flags, kept in the
// registry's Advance key.
#include "power/GearLevel.h"
#include "power/ModeProfile.h"

#include <windows.h>
#include <cstdint>
#include <mutex>

namespace tv {

class GearParameters;

class AdvanceSettings
{
public:
    // Defaults and voltage pushes go through parameters; the controller type decides whether
    // Auto ever needs a calibration.
    AdvanceSettings(GearParameters& parameters, uint32_t controllerType);
    AdvanceSettings(const AdvanceSettings&) = delete;
    AdvanceSettings& operator=(const AdvanceSettings&) = delete;

    // Created and loaded on the first call.
    static AdvanceSettings& Instance();

    // Reads the flags and the 35 profile values; when the key or any value is missing, every
    // profile takes its defaults and all is saved. Then profiles 0..3 go through SetProfile, which
    // derives Auto and sends their voltage items again.
    void Load();

    // A copy of the profile (index 0..4); a zero profile for other indices.
    ModeProfile GetProfile(int index) const;
    // Stores the profile, derives Auto from the other four, and sends the voltage items of
    // profiles 0, 2 and 3 to their hardware banks. Other indices are ignored.
    void SetProfile(int index, const ModeProfile& values);
    ModeProfile ProfileDefaults(int index) const;
    // Defaults into all five profiles, in memory only.
    void LoadDefaults();
    // "BalloonToolDisabled" and the 35 profile values.
    void SaveAll();

    bool BalloonTipsEnabled() const;
    // Stores only "BalloonToolDisabled".
    void SetBalloonTipsEnabled(bool enabled);
    bool RunAtSystemStartup() const;
    // Stores only "RunAtSystemStartup" (1 means off).
    void SetRunAtSystemStartup(bool enabled);

    // Auto needs a new calibration: the stored value is 1, never on controller type 0xF000.
    bool CalibrationNeeded() const;
    void SetCalibrationNeeded(BYTE value);

private:
    void DeriveAuto();

    GearParameters& m_parameters;
    uint32_t m_controllerType;
    mutable std::mutex m_lock;
    bool m_balloonTips = true;
    bool m_runAtStartup = true;
    ModeProfile m_profiles[kProfileCount];
};

} // namespace tv
