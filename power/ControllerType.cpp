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

uint32_t ControllerType()
{
    static const uint32_t type = ReadControllerType(PowerGear::Instance());
    return type;
}

} // namespace tv
