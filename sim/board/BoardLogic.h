#pragma once
// How the board answers: items with their failure flags, live readings and side effects, the gear
// level. Every function expects the board's lock to be held.
#include "sim/board/BoardLayout.h"
#include "sim/board/Fields.h"

namespace simboard {

namespace item {
constexpr uint32_t GearLevel = 0x0B060001;
constexpr uint32_t EngineOpen = 0x0B060002;
constexpr uint32_t Capability = 0x0B060003;
constexpr uint32_t ProfileBank = 0x0B060010;
constexpr uint32_t ControllerType = 0x0B060080;
constexpr uint32_t AutoSubLevel = 0x0E060001;
constexpr uint32_t CpuLoad = 0x0E0A0011;
constexpr uint32_t Threshold1 = 0x0E0A0014;
constexpr uint32_t Threshold2 = 0x0E0A0015;
constexpr uint32_t Threshold3 = 0x0E0A0016;
constexpr uint32_t CpuPower = 0x0E0B0013;
constexpr uint32_t OverclockStatus = 0x09080000;
} // namespace item

// Who asks: the library honours the failure flags, the control side sees through them.
enum class Access
{
    Library,
    Control,
};

int32_t& FieldRef(BoardState& state, Field field);
int32_t FieldValue(const BoardState& state, Field field);

ItemRecord* FindItem(BoardState& state, uint32_t id);
const ItemRecord* FindItem(const BoardState& state, uint32_t id);
// Adds an item (supported, value 0) or returns the existing one; null when the table is full.
ItemRecord* AddItem(BoardState& state, uint32_t id);
bool IsLiveItem(uint32_t id);

// OptiGearIsSupport succeeds with 1; a board the library does not support answers no item and no
// level call.
bool BoardSupported(const BoardState& state);
// A capability query (IsKFanThreeSupported, IsThermostatSupported, ...): the field's answer, 0 on
// a board the library does not support. The power-gear and idle-doze libraries both answer with
// it, so they agree on every board.
bool CapabilityAnswer(const BoardState& state, Field field);
// Item 0x0B060080 when the board has it, else 0.
int32_t ControllerType(const BoardState& state);
bool IsFFamily(int32_t type);
bool Is7Family(int32_t type);
// The support level the power-gear facade derives from IsSupport and the capability word.
int SupportLevel(const BoardState& state);

// The library's item reading: unsupported or read-failing items give false; live items are
// computed now unless a value was set explicitly.
bool ReadItem(BoardState& state, uint32_t id, int32_t* value, Access access);
// Stores the value (the current profile bank's slot for banked items) with its side effects:
// 0x0B060001 moves the gear level. The control side also pins the value over a live reading.
bool WriteItem(BoardState& state, uint32_t id, int32_t value, Access access);
// Back to the preset's value; a live item follows the board again.
bool ClearItem(BoardState& state, uint32_t id);
bool IsItemSupported(const BoardState& state, uint32_t id);

bool IsValidLevel(int32_t level);
// Sets the gear level and the level item 0x0B060001 together.
void SetGearLevel(BoardState& state, int32_t level);

} // namespace simboard
