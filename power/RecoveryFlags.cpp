#include "power/RecoveryFlags.h"

#include "lumo/System/Source/WinRegistry.h"
#include "shell/base/RegistrySchema.h"

namespace tv {
namespace {

const char* ValueName(RecoveryFlag flag)
{
    switch (flag) {
    case RecoveryFlag::CheckSafe:
        return reg::kCheckSafeFlag;
    case RecoveryFlag::Calibration:
        return reg::kCalibrationFlag;
    case RecoveryFlag::Gear:
        break;
    }
    return reg::kGearFlag;
}

void Write(RecoveryFlag flag, DWORD value)
{
    lumo::WinRegistry key;
    if (key.Open(reg::kRoot, reg::kAdvanceKey, true)) {
        key.WriteDword(ValueName(flag), value);
        key.FlushKey();
    }
}

} // namespace

void SetRecoveryFlag(RecoveryFlag flag)
{
    Write(flag, 1);
}

void ClearRecoveryFlag(RecoveryFlag flag)
{
    Write(flag, 0);
}

bool IsRecoveryFlagClear(RecoveryFlag flag)
{
    lumo::WinRegistry key;
    DWORD value = 0;
    if (!key.Open(reg::kRoot, reg::kAdvanceKey, false) || !key.ReadDword(ValueName(flag), value)) {
        return true;
    }
    return value == 0;
}

} // namespace tv
