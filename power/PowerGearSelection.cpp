#include "power/PowerGearSelection.h"

#include "lumo/System/Source/Assert.h"

#include <atomic>

namespace tv {
namespace {

std::atomic<int> g_selected{kNoPowerGearImplementation};

} // namespace

void SelectPowerGearImplementation(int index)
{
    g_selected = index;
}

int SelectedPowerGearImplementation()
{
    return g_selected;
}

void RequirePowerGearImplementation()
{
    LUMO_ASSERT(SelectedPowerGearImplementation() != kNoPowerGearImplementation);
}

} // namespace tv
