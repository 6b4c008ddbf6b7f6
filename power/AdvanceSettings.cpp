#include "power/AdvanceSettings.h"

#include "lumo/System/Source/WinRegistry.h"
#include "power/ControllerType.h"
#include "power/GearParameters.h"
#include "power/TimeoutChoices.h"
#include "shell/base/RegistrySchema.h"

#include <string>

namespace tv {
namespace {

// Stored order of a profile's values.
const char* const kItems[] = {reg::kItemFsb,
                              reg::kItemVCore,
                              reg::kItemLoadLine,
                              reg::kItemNbVolt,
                              reg::kItemFan,
                              reg::kItemOptiDozeIdleTimeout,
                              reg::kItemSpinDownTimeout};

int32_t* Fields(ModeProfile& profile, int i)
{
    int32_t* const fields[] = {&profile.fsb,
                               &profile.vCore,
                               &profile.loadLine,
                               &profile.nbVolt,
                               &profile.fan,
                               &profile.optiDozeIdleTimeout,
                               &profile.spinDownTimeout};
    return fields[i];
}

// Field positions in kItems.
constexpr int kFanField = 4;
constexpr int kIdleField = 5;
constexpr int kSpinDownField = 6;

int32_t LongestChoiceSeconds(const std::vector<TimeoutChoice>& choices)
{
    int32_t longest = 0;
    for (const TimeoutChoice& choice : choices) {
        longest = choice.seconds > longest ? choice.seconds : longest;
    }
    return longest;
}

// A stored value that no list entry can have produced (a corrupt or foreign value, a negative
// time that would reach the spin-down library as 0xFFFFFFFF) is read as absent, as a failed
// read is. Fields taken from the board (the voltage items) or never used are taken as stored.
bool Acceptable(int field, int32_t value)
{
    switch (field) {
    case kFanField:
        return value == 0 || value == 1;
    case kIdleField:
        return value >= 0 && value <= LongestChoiceSeconds(DozeTimeoutChoices()) * 1000;
    case kSpinDownField:
        return value >= 0 && value <= LongestChoiceSeconds(SpinDownTimeoutChoices(-1));
    default:
        return true;
    }
}

bool ValidIndex(int index)
{
    return index >= 0 && index < kProfileCount;
}

// Smallest non-zero value, 0 when all are 0.
int32_t SmallestSet(const int32_t (&values)[4])
{
    int32_t smallest = 0;
    for (int32_t value : values) {
        if (value != 0 && (smallest == 0 || value < smallest)) {
            smallest = value;
        }
    }
    return smallest;
}

void WriteAdvanceDword(const char* name, DWORD value)
{
    lumo::WinRegistry key;
    if (key.Open(reg::kRoot, reg::kAdvanceKey, true)) {
        key.WriteDword(name, value);
    }
}

} // namespace

AdvanceSettings::AdvanceSettings(GearParameters& parameters, uint32_t controllerType)
    : m_parameters(parameters), m_controllerType(controllerType)
{}

AdvanceSettings& AdvanceSettings::Instance()
{
    static AdvanceSettings* const instance = [] {
        GearParameters& parameters = GearParameters::Instance();
        auto* settings = new AdvanceSettings(parameters, ControllerType());
        settings->Load();
        return settings;
    }();
    return *instance;
}

ModeProfile AdvanceSettings::ProfileDefaults(int index) const
{
    ModeProfile profile;
    if (index == kProfileAuto) {
        profile.fan = 1;
        profile.optiDozeIdleTimeout = kDefaultIdleTimeoutMs;
        profile.spinDownTimeout = kDefaultSpinDownSeconds;
        return profile;
    }
    if (index == kProfileTurbo || index == kProfileMedium || index == kProfileLow) {
        // The voltage items as the board had them when the power monitor started.
        GearParameters::Values start = m_parameters.Get(index);
        profile.vCore = start.b;
        profile.loadLine = start.c;
    }
    if (index == kProfileLow) {
        profile.fan = 1;
        profile.optiDozeIdleTimeout = kDefaultIdleTimeoutMs;
        profile.spinDownTimeout = kDefaultSpinDownSeconds;
    }
    return profile;
}

void AdvanceSettings::LoadDefaults()
{
    ModeProfile defaults[kProfileCount];
    for (int i = 0; i < kProfileCount; ++i) {
        defaults[i] = ProfileDefaults(i);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    for (int i = 0; i < kProfileCount; ++i) {
        m_profiles[i] = defaults[i];
    }
}

void AdvanceSettings::Load()
{
    bool complete = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_balloonTips = true;
        m_runAtStartup = true;
        lumo::WinRegistry key;
        if (key.Open(reg::kRoot, reg::kAdvanceKey, false)) {
            DWORD value;
            if (key.ReadDword(reg::kBalloonToolDisabled, value)) {
                m_balloonTips = value != 1;
            }
            if (key.ReadDword(reg::kRunAtSystemStartup, value)) {
                m_runAtStartup = value != 1;
            }
            complete = true;
            for (int p = 0; p < kProfileCount && complete; ++p) {
                for (int i = 0; i < 7; ++i) {
                    const std::string name = reg::ProfileValueName(kItems[i], p);
                    if (!key.ReadDword(name.c_str(), value) ||
                        !Acceptable(i, static_cast<int32_t>(value))) {
                        complete = false;
                        break;
                    }
                    *Fields(m_profiles[p], i) = static_cast<int32_t>(value);
                }
            }
        }
    }
    if (!complete) {
        LoadDefaults();
        SaveAll();
    }
    for (int p = kProfileTurbo; p <= kProfileLow; ++p) {
        SetProfile(p, GetProfile(p));
    }
}

ModeProfile AdvanceSettings::GetProfile(int index) const
{
    if (!ValidIndex(index)) {
        return ModeProfile();
    }
    std::lock_guard<std::mutex> guard(m_lock);
    return m_profiles[index];
}

void AdvanceSettings::DeriveAuto()
{
    int32_t idle[4], spinDown[4];
    for (int p = 0; p < 4; ++p) {
        idle[p] = m_profiles[p].optiDozeIdleTimeout;
        spinDown[p] = m_profiles[p].spinDownTimeout;
    }
    ModeProfile& autoProfile = m_profiles[kProfileAuto];
    autoProfile.spinDownTimeout = SmallestSet(spinDown);
    autoProfile.optiDozeIdleTimeout = SmallestSet(idle);
    autoProfile.fan = (m_profiles[kProfileMedium].fan != 0 || m_profiles[kProfileLow].fan != 0);
}

void AdvanceSettings::SetProfile(int index, const ModeProfile& values)
{
    if (!ValidIndex(index)) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_profiles[index] = values;
        DeriveAuto();
    }
    // Turbo, Medium and Low have hardware banks; Normal and Auto do not.
    m_parameters.Set(index, values.vCore, values.loadLine);
}

void AdvanceSettings::SaveAll()
{
    std::lock_guard<std::mutex> guard(m_lock);
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kAdvanceKey, true)) {
        return;
    }
    key.WriteDword(reg::kBalloonToolDisabled, m_balloonTips ? 0 : 1);
    for (int p = 0; p < kProfileCount; ++p) {
        for (int i = 0; i < 7; ++i) {
            const std::string name = reg::ProfileValueName(kItems[i], p);
            key.WriteDword(name.c_str(), static_cast<DWORD>(*Fields(m_profiles[p], i)));
        }
    }
}

bool AdvanceSettings::BalloonTipsEnabled() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_balloonTips;
}

void AdvanceSettings::SetBalloonTipsEnabled(bool enabled)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_balloonTips = enabled;
    }
    WriteAdvanceDword(reg::kBalloonToolDisabled, enabled ? 0 : 1);
}

bool AdvanceSettings::RunAtSystemStartup() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_runAtStartup;
}

void AdvanceSettings::SetRunAtSystemStartup(bool enabled)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_runAtStartup = enabled;
    }
    WriteAdvanceDword(reg::kRunAtSystemStartup, enabled ? 0 : 1);
}

bool AdvanceSettings::CalibrationNeeded() const
{
    if (controller::IsTypeF000(m_controllerType)) {
        return false;
    }
    lumo::WinRegistry key;
    DWORD value = 0;
    return key.Open(reg::kRoot, reg::kAdvanceKey, false) &&
           key.ReadDword(reg::kCalibrationNeeded, value) && value == 1;
}

void AdvanceSettings::SetCalibrationNeeded(BYTE value)
{
    WriteAdvanceDword(reg::kCalibrationNeeded, value);
}

} // namespace tv
