#pragma once
// The K-Fan layer: the BIOS's fan modes, the fan curve tables derived from BIOS items and the
// registry, and the fan sequences handed on to the hardware-monitor chip.
#include "power/SioChip.h"

#include <windows.h>
#include <array>
#include <mutex>

namespace tv {

class PowerGear;

class KFanLib
{
public:
    using Curve = SioChip::Curve;
    // Target temperature, tolerance.
    using ChassisPair = std::array<BYTE, 2>;

    static constexpr int kTableSets = 5;
    static constexpr int kUserCurve = 5;
    static constexpr int kChassisPairs = 3;
    // A fan mode of 0xFF: the BIOS does not control that fan.
    static constexpr int kNoBiosControl = 0xFF;

    // Nothing is read before Initialise().
    KFanLib(PowerGear& gear, SioChip& chip);
    KFanLib(const KFanLib&) = delete;
    KFanLib& operator=(const KFanLib&) = delete;

    // Over PowerGear::Instance() and SioChip::Instance(), created and initialised on first use.
    static KFanLib& Instance();

    // Fills the tables from the BIOS's base temperature, the registry and the CPU temperature.
    void Initialise();

    // 0xFF when the BIOS's CPU fan control is off; else "ExtraMode" + 2 when it is set; else the
    // BIOS fan mode when below 3, otherwise 0.
    int CpuFanMode();
    int ChassisFanMode();

    // 0..4 the table sets; 5 the user curve from the registry (recreated from set 0 when any of
    // its six values is missing). Other numbers give set 0.
    Curve GetCurveSet(int set);
    ChassisPair GetChassisPair(int pair);

    bool SetCpuFanUserMode(const Curve& curve) { return m_chip.SetCpuFanUserMode(curve); }
    bool RestoreCpuFan() { return m_chip.RestoreCpuFan(); }
    bool SetChassisFanSilent(BYTE temperature, BYTE tolerance)
    {
        return m_chip.SetChassisFanSilent(temperature, tolerance);
    }
    bool RestoreChassisFan() { return m_chip.RestoreChassisFan(); }
    bool SetChassisFanOff() { return m_chip.SetChassisFanOff(); }

    // BIOS item access of the fan code (failures of the get and the extended set are shown).
    bool IsKFanThreeSupported();
    bool GetItem(int item, int& value);
    bool SetItemEx(int item, int a, int b);
    bool IsItemSupported(int item);

private:
    int BiosFanMode(int controlItem, int modeItem);
    Curve UserCurve();

    PowerGear& m_gear;
    SioChip& m_chip;
    mutable std::mutex m_lock;
    Curve m_sets[kTableSets] = {};
    ChassisPair m_chassis[kChassisPairs] = {};
};

} // namespace tv
