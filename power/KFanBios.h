#pragma once
// The fan code's BIOS item access through the power-gear facade: failures are shown.
namespace tv {

class PowerGear;

// Failure: box "Can not get Item(%x) from BIOS", caption "Opti Gear".
bool KFanGetItem(PowerGear& gear, int item, int& value);
// Failure: box "Can not set Item(%x) to BIOS", caption "K-Fan".
bool KFanSetItemEx(PowerGear& gear, int item, int a, int b);
// That box alone, for a caller that must release a lock before it may wait on the user.
void ShowKFanSetItemFailure(int item);

} // namespace tv
