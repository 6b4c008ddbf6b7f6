#pragma once
// The power-gear facade: every control of the board's power gear and hardware items goes through
// it. PowerGearDll implements it over the maker's "OptiGear.dll".
#include "power/GearThresholds.h"

#include <string>

namespace tv {

class PowerGear
{
public:
    // The process-wide facade, created and loaded on first use. The power-gear implementation must
    // have been selected before (a fatal stop otherwise).
    static PowerGear& Instance();

    PowerGear();
    virtual ~PowerGear();
    PowerGear(const PowerGear&) = delete;
    PowerGear& operator=(const PowerGear&) = delete;

    // Loads the library; false when it is absent (the facade then does nothing).
    virtual bool Load() = 0;
    // Support level not 0.
    virtual bool IsSupported() = 0;
    // Overclocked, by the library or else by the system-control service.
    virtual bool CheckOC() = 0;
    // The gear level, 0 when it cannot be read.
    virtual int GetLevel() = 0;
    // The full level change (writes "LastMode" on capable boards).
    virtual bool SetLevel(int level) = 0;
    // The level change through the level item, without "LastMode".
    virtual bool SetLevelItem(int level) = 0;
    virtual bool CheckReboot(int& reboot) = 0;
    virtual bool IsOptiDozeSupported() = 0;
    virtual bool IsFanControlSupported() = 0;
    virtual bool IsOptiBoostSupported() = 0;
    virtual bool IsOptiBoostTwoSupported() = 0;
    virtual bool IsOptiBoostThreeSupported() = 0;
    virtual bool IsHxRemoteSupported() = 0;
    virtual bool IsOptiNitroSupported() = 0;
    virtual bool IsThermostatSupported() = 0;
    // Support level 2.
    virtual bool HasBasicGearEngine() = 0;
    // Support level 3 or 4.
    virtual bool HasGearEngine() = 0;
    // Support level 4.
    virtual bool HasFullGearEngine() = 0;
    // Support level 4 and the capability word reads exactly 8.
    virtual bool IsCapabilityWordEight() = 0;
    // The K-Fan items are usable.
    virtual bool IsKFanThreeSupported() = 0;
    virtual bool ButtonEnable() = 0;
    // value is valid only when true.
    virtual bool GetItem(int item, int& value) = 0;
    virtual bool SetItem(int item, int value) = 0;
    virtual bool IsItemSupported(int item) = 0;
    virtual bool SetItemEx(int item, int a, int b) = 0;
    // Sends the three Auto thresholds to the board; each failed write shows its own box.
    virtual void SetThreshold(int t1, int t2, int t3) = 0;
    virtual bool GetStringList(int a, int b, int c, int d) = 0;
    virtual bool GetItemDefaultValue(int item, int& value) = 0;
    virtual bool GetItemInformation(int item, int& value) = 0;
    virtual std::string LibraryPath() const = 0;

    // The CPU current: the ICPU item on boards with a gear engine (0 and a box when it cannot be
    // read), a pseudo-random 0..29 below.
    int GetIcpu();

    // The Auto thresholds kept for this facade.
    GearThresholds& Thresholds() { return m_thresholds; }

private:
    GearThresholds m_thresholds;
};

} // namespace tv
