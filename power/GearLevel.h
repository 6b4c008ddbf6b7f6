#pragma once
// Gear levels: the mode identifiers used everywhere (registry "LastMode", the power-gear library,
// the graphics-card pipe, the mode thread), and their profile indices.

namespace tv {

inline constexpr int kGearTurbo = 0x4000;
inline constexpr int kGearHighPerformance = 0;
inline constexpr int kGearMediumSaving = 1;
inline constexpr int kGearMaxSaving = 2;
inline constexpr int kGearAuto = 0x8000;

// Profile indices (and registry suffixes "_Turbo", "_Normal", "_Medium", "_Low", "_Auto").
inline constexpr int kProfileTurbo = 0;
inline constexpr int kProfileNormal = 1;
inline constexpr int kProfileMedium = 2;
inline constexpr int kProfileLow = 3;
inline constexpr int kProfileAuto = 4;
inline constexpr int kProfileCount = 5;

// Only Auto, High performance and Max power saving are ever applied: Turbo becomes High
// performance, Medium power saving becomes Max power saving, anything unknown High performance.
constexpr int NormalizeGearLevel(int level)
{
    switch (level) {
    case kGearMediumSaving:
    case kGearMaxSaving:
        return kGearMaxSaving;
    case kGearAuto:
        return kGearAuto;
    default:
        return kGearHighPerformance;
    }
}

constexpr int ProfileIndexFromGearLevel(int level)
{
    switch (level) {
    case kGearMediumSaving:
        return kProfileMedium;
    case kGearMaxSaving:
        return kProfileLow;
    case kGearTurbo:
        return kProfileTurbo;
    case kGearAuto:
        return kProfileAuto;
    default:
        return kProfileNormal;
    }
}

// The inverse, for the sub-mode inside Auto: 0 gives Turbo, 1..3 the index minus 1, else 0.
constexpr int GearLevelFromProfileIndex(int index)
{
    if (index == kProfileTurbo) {
        return kGearTurbo;
    }
    if (index >= 1 && index <= 3) {
        return index - 1;
    }
    return kGearHighPerformance;
}

// The tray menu's mode names, 32-byte entries.
inline constexpr int kModeNameSize = 32;
inline constexpr char kModeNames[5][kModeNameSize] = {"Auto", "Turbo", "High performance",
                                                      "Medium power saving", "Max power saving"};

// Entry of kModeNames for a level: Auto 0, Turbo 1, levels 0..2 the level plus 2, else 2.
constexpr int ModeNameIndex(int level)
{
    if (level == kGearAuto) {
        return 0;
    }
    if (level == kGearTurbo) {
        return 1;
    }
    if (level >= 0 && level <= 2) {
        return level + 2;
    }
    return 2;
}

} // namespace tv
