#include "power/KFanBios.h"

#include "lumo/System/Source/MessageBox.h"
#include "power/PowerGear.h"

#include <cstdio>

namespace tv {

bool KFanGetItem(PowerGear& gear, int item, int& value)
{
    if (gear.GetItem(item, value)) {
        return true;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Can not get Item(%x) from BIOS", static_cast<unsigned>(item));
    lumo::ShowMessageBoxAside(text, "Opti Gear");
    return false;
}

bool KFanSetItemEx(PowerGear& gear, int item, int a, int b)
{
    if (gear.SetItemEx(item, a, b)) {
        return true;
    }
    ShowKFanSetItemFailure(item);
    return false;
}

void ShowKFanSetItemFailure(int item)
{
    char text[64];
    std::snprintf(text, sizeof text, "Can not set Item(%x) to BIOS", static_cast<unsigned>(item));
    lumo::ShowMessageBoxAside(text, "K-Fan");
}

} // namespace tv
