#include "power/PowerGear.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "power/GearItems.h"
#include "power/PowerGearDll.h"
#include "power/PowerGearSelection.h"

#include <windows.h>
#include <atomic>
#include <random>

namespace tv {

PowerGear& PowerGear::Instance()
{
    // Lives until the process ends, like every facade over the maker's libraries.
    static PowerGearDll* const instance = [] {
        RequirePowerGearImplementation();
        const bool first = SelectedPowerGearImplementation() == 0;
        auto* gear =
            new PowerGearDll(lumo::ProgramDirectory(), first ? "" : PowerGearDll::kSubFolder);
        gear->LoadQuietly();
        return gear;
    }();
    // A failure is told once, by a box on a thread of its own: this first use may lie inside the
    // initialisation of other process-wide objects (see TellLoadFailure).
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        instance->TellLoadFailure(true);
    }
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
