// Works through the process-wide Windows power facade once and tells by its exit code which
// interface it found: 11 GUID interface, 21 scheme indices (10, 20: the calls failed).
#include "power/PowerMgr.h"

#include <windows.h>

int main()
{
    const GUID balanced = {
        0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
    tv::PowerMgr& power = tv::PowerMgr::Instance();
    if (power.Available()) {
        GUID* active = nullptr;
        bool ok = power.PowerGetActiveScheme(&active) && power.PowerSetActiveScheme(&balanced);
        LocalFree(active);
        return ok ? 11 : 10;
    }
    UINT index = 99;
    bool ok = power.GetActivePwrScheme(&index) && power.SetActivePwrScheme(4);
    return ok ? 21 : 20;
}
