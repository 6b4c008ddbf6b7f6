#include "power/ControllerType.h"

#include "power/GearItems.h"
#include "power/PowerGear.h"

namespace tv {

uint32_t ReadControllerType(PowerGear& gear)
{
    int value = 0;
    if (!gear.IsItemSupported(item::kControllerType) ||
        !gear.GetItem(item::kControllerType, value)) {
        return 0;
    }
    return static_cast<uint32_t>(value);
}

void OpenGearEngine(PowerGear& gear)
{
    gear.SetItem(item::kGearEngineOpen, 1);
    gear.ButtonEnable();
}

uint32_t ControllerType()
{
    static const uint32_t type = [] {
        PowerGear& gear = PowerGear::Instance();
        OpenGearEngine(gear);
        return ReadControllerType(gear);
    }();
    return type;
}

} // namespace tv
