#include "power/PowerGear.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "power/GearItems.h"
#include "power/PowerGearDll.h"
#include "power/PowerGearSelection.h"

#include <windows.h>
#include <random>

namespace tv {

PowerGear& PowerGear::Instance()
{
    // Lives until the process ends, like every facade over the maker's libraries.
    static PowerGear* const instance = [] {
        RequirePowerGearImplementation();
        const bool first = SelectedPowerGearImplementation() == 0;
        PowerGear* gear =
            new PowerGearDll(lumo::ProgramDirectory(), first ? "" : PowerGearDll::kSubFolder);
        gear->Load();
        return gear;
    }();
    return *instance;
}

PowerGear::PowerGear() : m_thresholds(*this) {}

PowerGear::~PowerGear() = default;

int PowerGear::GetIcpu()
{
    if (!HasGearEngine()) {
        // No current to read without the gear engine; a changing small figure stands in.
        std::minstd_rand generator(GetTickCount());
        return static_cast<int>(generator() % 30);
    }
    int value = 0;
    if (!GetItem(item::kCpuCurrent, value)) {
        lumo::ShowMessageBox(nullptr, "Can not get ICPU", "PowerGear", MB_OK);
        return 0;
    }
    return value;
}

} // namespace tv
