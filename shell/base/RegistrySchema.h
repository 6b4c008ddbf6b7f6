#pragma once
// Every registry key path and value name the program uses. No other code spells them.
// All keys live under HKEY_LOCAL_MACHINE; key names are case-insensitive.
#include <windows.h>
#include <string>

namespace tv::reg {

inline const HKEY kRoot = HKEY_LOCAL_MACHINE;

// Keys
inline constexpr char kMainKey[] = "Software\\KALDO\\Opti Gear3";
// The threshold code's spelling of the main key: the same key.
inline constexpr char kThresholdKey[] = "Software\\KALDO\\OPTI GEAR3";
inline constexpr char kAdvanceKey[] = "Software\\KALDO\\Opti Gear3\\Advance";
inline constexpr char kQemKey[] = "Software\\KALDO\\Opti Gear3\\QEM";
inline constexpr char kQemMbKey[] = "Software\\KALDO\\Opti Gear3\\QEM\\MB";
inline constexpr char kQemVgaKey[] = "Software\\KALDO\\Opti Gear3\\QEM\\VGA";
// Owned by the graphics-card utility; read only.
inline constexpr char kCardUtilityKey[] = "Software\\KALDO\\QEM\\VGA";
inline constexpr char kKFanKey[] = "Software\\KALDO\\Opti Suite\\KFan";
// Note the trailing backslash.
inline constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
// Parent of every key of the maker's suite (tests start from a state without it).
inline constexpr char kVendorKey[] = "Software\\KALDO";

// Main key
inline constexpr char kNotFirstTime[] = "NotFirstTime";
inline constexpr char kLastMode[] = "LastMode";
inline constexpr char kThreshold1[] = "Threshold1";
inline constexpr char kThreshold2[] = "Threshold2";
inline constexpr char kThreshold3[] = "Threshold3";
inline constexpr char kNormLow[] = "NormLow";
inline constexpr char kPowerSavingLow[] = "PowerSavingLow";
inline constexpr char kNormHigh[] = "NormHigh";
inline constexpr char kPowerSavingHigh[] = "PowerSavingHigh";
inline constexpr char kMediumLow[] = "MediumLow";
inline constexpr char kMediumHigh[] = "MediumHigh";

// Advance key
inline constexpr char kRunAtSystemStartup[] = "RunAtSystemStartup";
inline constexpr char kBalloonToolDisabled[] = "BalloonToolDisabled";
inline constexpr char kCheckSafeFlag[] = "CheckSafeFlag";
inline constexpr char kCalibrationFlag[] = "Calibration_Flag";
inline constexpr char kGearFlag[] = "Gear_Flag";
inline constexpr char kCalibrationNeeded[] = "CalibrationNeeded";

// Profile values: item name directly followed by the profile suffix ("vCore_Low").
inline constexpr char kItemFsb[] = "Fsb";
inline constexpr char kItemVCore[] = "vCore";
inline constexpr char kItemLoadLine[] = "LoadLine";
inline constexpr char kItemNbVolt[] = "NbVolt";
inline constexpr char kItemFan[] = "Fan";
inline constexpr char kItemOptiDozeIdleTimeout[] = "OptiDozeIdleTimeout";
inline constexpr char kItemSpinDownTimeout[] = "SpinDownTimeout";
constexpr int kProfileCount = 5;
// By profile index: 0 Turbo, 1 Normal (High performance), 2 Medium, 3 Low (Max power saving), 4
// Auto.
inline constexpr const char* kProfileSuffixes[kProfileCount] = {"_Turbo", "_Normal", "_Medium",
                                                                "_Low", "_Auto"};
inline std::string ProfileValueName(const char* item, int profileIndex)
{
    return std::string(item) + kProfileSuffixes[profileIndex];
}

// QEM key: capability flags published for other programs
inline constexpr char kQemSupported[] = "QemSupported";
inline constexpr char kAutoSupported[] = "AutoSupported";
inline constexpr char kSyncEnabled[] = "SyncEnabled";
inline constexpr char kMonitorSupported[] = "MonitorSupported";

// QEM\MB and QEM\VGA: energy accounts (8-byte doubles)
inline constexpr char kCurrentPower[] = "CurrentPower";
inline constexpr char kTotalSaving[] = "TotalSaving";
inline constexpr char kCumulativeSaving[] = "CumulativeSaving";
// QEM\MB: period starts (8-byte FILETIME, local time)
inline constexpr char kResetTime[] = "ResetTime";
inline constexpr char kTotalResetTime[] = "TotalResetTime";

// Card utility key: "SyncEnabled" (kSyncEnabled)

// KFan key: "Temp0".."Temp5", "Speed0".."Speed5", "ExtraMode"
inline constexpr char kKFanTemp[] = "Temp";
inline constexpr char kKFanSpeed[] = "Speed";
inline constexpr char kExtraMode[] = "ExtraMode";
inline std::string KFanValueName(const char* prefix, int index)
{
    return std::string(prefix) + static_cast<char>('0' + index);
}

// RunOnce key: written by the installer, present until the next Windows start
inline constexpr char kRunOnceInstall[] = "Tetravolt Install";

} // namespace tv::reg
