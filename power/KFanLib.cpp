#include "power/KFanLib.h"

#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "power/GearItems.h"
#include "power/KFanBios.h"
#include "power/PowerGear.h"
#include "shell/base/RegistrySchema.h"

#include <algorithm>
#include <string>

namespace tv {
namespace {

BYTE ToByte(DWORD value)
{
    // A stored number beyond a byte means the most of it, not what its low byte happens to be.
    return static_cast<BYTE>(std::min<DWORD>(value, 255));
}

// The six values Temp<first>, Speed<first>, ... Temp<first+2>, Speed<first+2>, in curve order;
// false unless all six read.
bool ReadCurve(int first, SioChip::Curve& curve)
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kKFanKey, false)) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        DWORD temperature, speed;
        if (!key.ReadDword(reg::KFanValueName(reg::kKFanTemp, first + i).c_str(), temperature) ||
            !key.ReadDword(reg::KFanValueName(reg::kKFanSpeed, first + i).c_str(), speed)) {
            return false;
        }
        curve[2 * i] = ToByte(temperature);
        curve[2 * i + 1] = ToByte(speed);
    }
    return true;
}

void WriteCurve(int first, const SioChip::Curve& curve)
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kKFanKey, true)) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        key.WriteDword(reg::KFanValueName(reg::kKFanTemp, first + i).c_str(), curve[2 * i]);
        key.WriteDword(reg::KFanValueName(reg::kKFanSpeed, first + i).c_str(), curve[2 * i + 1]);
    }
}

DWORD ExtraMode()
{
    lumo::WinRegistry key;
    DWORD value = 0;
    if (!key.Open(reg::kRoot, reg::kKFanKey, false) || !key.ReadDword(reg::kExtraMode, value)) {
        return 0;
    }
    return value;
}

} // namespace

KFanLib::KFanLib(PowerGear& gear, SioChip& chip) : m_gear(gear), m_chip(chip) {}

KFanLib& KFanLib::Instance()
{
    static KFanLib* const instance = [] {
        auto* fan = new KFanLib(PowerGear::Instance(), SioChip::Instance());
        fan->Initialise();
        return fan;
    }();
    return *instance;
}

void KFanLib::Initialise()
{
    int item = 0;
    KFanGetItem(m_gear, item::kFanBaseTemperature, item);
    const BYTE base = static_cast<BYTE>(item);

    Curve sets[kTableSets];
    // All on bytes, wrapping, as the BIOS's own tables are.
    const int offsets[3] = {0, -9, 9};
    for (int n = 0; n < 3; ++n) {
        const BYTE t = static_cast<BYTE>(base - offsets[n]);
        sets[n] = {static_cast<BYTE>(t - 30), 55, t, 255, t, 255};
    }
    if (!ReadCurve(3, sets[3])) {
        int half = 0;
        if (m_chip.CpuTemperatureHalf(half)) {
            const BYTE c = static_cast<BYTE>(half / 2);
            sets[3] = {static_cast<BYTE>(c - 5),  51, static_cast<BYTE>(c + 5), 102,
                       static_cast<BYTE>(c + 15), 255};
        } else {
            // Without a temperature to build on, the fan runs at full duty throughout.
            TraceLog("~~~[KFanLib] CPU temperature unreadable, curve set 3 at full duty");
            sets[3] = {0, 255, 0, 255, 0, 255};
        }
    }
    sets[4] = {0, 128, 36, 128, 75, 128};

    const int chassisOffsets[kChassisPairs] = {0, 10, -10};
    std::lock_guard<std::mutex> guard(m_lock);
    for (int n = 0; n < kTableSets; ++n) {
        m_sets[n] = sets[n];
    }
    for (int j = 0; j < kChassisPairs; ++j) {
        m_chassis[j] = {static_cast<BYTE>(base + chassisOffsets[j]), 10};
    }
}

KFanLib::Curve KFanLib::UserCurve()
{
    Curve curve;
    if (ReadCurve(0, curve)) {
        return curve;
    }
    const Curve base = GetCurveSet(0);
    const int t1 = base[0], d1 = base[1], t3 = base[4], d3 = base[5];
    curve = {static_cast<BYTE>(t1),
             static_cast<BYTE>(d1),
             static_cast<BYTE>((t1 + t3) / 2),
             static_cast<BYTE>((d1 + d3) / 2),
             static_cast<BYTE>(t3),
             static_cast<BYTE>(d3)};
    WriteCurve(0, curve);
    Curve stored;
    return ReadCurve(0, stored) ? stored : curve;
}

KFanLib::Curve KFanLib::GetCurveSet(int set)
{
    if (set == kUserCurve) {
        return UserCurve();
    }
    std::lock_guard<std::mutex> guard(m_lock);
    return m_sets[set >= 0 && set < kTableSets ? set : 0];
}

KFanLib::ChassisPair KFanLib::GetChassisPair(int pair)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_chassis[pair >= 0 && pair < kChassisPairs ? pair : 0];
}

int KFanLib::BiosFanMode(int controlItem, int modeItem)
{
    int control = 0;
    if (!GetItem(controlItem, control) || control != 1) {
        return kNoBiosControl;
    }
    if (controlItem == item::kCpuFanBiosControl) {
        const DWORD extra = ExtraMode();
        if (extra != 0) {
            return static_cast<int>(extra + 2);
        }
    }
    int mode = 0;
    if (!GetItem(modeItem, mode)) {
        return 0;
    }
    return (mode >= 0 && mode < 3) ? mode : 0;
}

int KFanLib::CpuFanMode()
{
    return BiosFanMode(item::kCpuFanBiosControl, item::kCpuFanBiosMode);
}

int KFanLib::ChassisFanMode()
{
    return BiosFanMode(item::kChassisFanBiosControl, item::kChassisFanBiosMode);
}

bool KFanLib::IsKFanThreeSupported()
{
    return m_gear.IsKFanThreeSupported();
}

bool KFanLib::GetItem(int item, int& value)
{
    return KFanGetItem(m_gear, item, value);
}

bool KFanLib::SetItemEx(int item, int a, int b)
{
    return KFanSetItemEx(m_gear, item, a, b);
}

bool KFanLib::IsItemSupported(int item)
{
    return m_gear.IsItemSupported(item);
}

} // namespace tv
