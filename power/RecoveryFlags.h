#pragma once
// The crash-recovery flags of the Advance key: set while something that must not be cut short
// runs, so that the next start can tell it was. Every write reaches the disk before it returns.

namespace tv {

enum class RecoveryFlag
{
    CheckSafe,   // "CheckSafeFlag": a mode restored at boot is not yet confirmed
    Calibration, // "Calibration_Flag": a calibration runs
    Gear,        // "Gear_Flag": a mode is being applied
};

// Writes 1 and flushes.
void SetRecoveryFlag(RecoveryFlag flag);
// Writes 0 and flushes.
void ClearRecoveryFlag(RecoveryFlag flag);
// "Safe": true when the key or value is missing, else true only for 0.
bool IsRecoveryFlagClear(RecoveryFlag flag);

} // namespace tv
