#pragma once
// The board's named answers and settings besides the item table. Presets set them in their
// [Board] section, boardsim reads and writes them by name.
#include <cstdint>

namespace simboard {

enum class Field : uint32_t
{
    // power-gear library
    Level,          // gear level (0x4000, 0, 1, 2, 0x8000)
    IsSupport,      // out value of OptiGearIsSupport
    IsSupportFails, // nonzero: OptiGearIsSupport fails
    CheckOC,        // out value of OptiGearCheckOC
    CheckOCFails,
    GetLevelFails,
    SetLevelFails,
    CheckReboot,
    Init, // result of OptiGearInit
    IsOptiDozeSupported,
    IsFanControlSupported,
    IsOptiBoostSupported,
    IsOptiBoostTwoSupported,
    IsOptiBoostThreeSupported,
    IsHxRemoteSupported,
    IsOptiNitroSupported,
    IsThermostatSupported,
    IsOptiGearTwoSupported,
    IsKFanThreeSupported,
    ButtonEnable,
    // idle-doze library, mute, spin-down
    DozeSupport, // out value of OptiDozeIsSupport
    IsOptiDoze,
    OptiHushIsSupport,
    DozeCheckReboot,
    DozeEnabled,
    DozeSleeping,
    Screen, // 1 on, 0 off
    Sound,  // 1 on, 0 muted
    DozeLevel,
    PowerButton,
    Mute, // vvc: 1 muted
    SpindownSeconds,
    // port I/O
    KdIoOpenFails,
    // live readings
    CpuLoad,        // percent 0..100, or -1 for the machine's real load
    IdleMilliwatts, // CPU power at High performance without load
    FullMilliwatts, // CPU power at High performance under full load
    TurboPercent,   // power of the other gears relative to High performance
    MediumPercent,
    SavingPercent,
    // Windows power schemes (index interface)
    SchemeIndex,
    // firmware package reader
    KdAcpiReadFails, // nonzero: ordinal 4 fails and writes nothing
    KdAcpiValueNull, // nonzero: ordinal 9 answers null for every element
    Count
};

static_assert(static_cast<uint32_t>(Field::Count) <= 64, "field slots");

struct FieldInfo
{
    Field field;
    const char* name;
};

// Every field with its name, in declaration order.
const FieldInfo* FieldTable(uint32_t* count);
// Case-insensitive lookup; false for an unknown name.
bool FindField(const char* name, Field* field);
const char* FieldName(Field field);

} // namespace simboard
