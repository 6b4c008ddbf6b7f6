#include "sim/board/BoardLogic.h"

#include "sim/board/LiveModel.h"

namespace simboard {

int32_t& FieldRef(BoardState& state, Field field)
{
    return state.fields[static_cast<uint32_t>(field)];
}

int32_t FieldValue(const BoardState& state, Field field)
{
    return state.fields[static_cast<uint32_t>(field)];
}

ItemRecord* FindItem(BoardState& state, uint32_t id)
{
    uint32_t count = state.itemCount < kMaxItems ? state.itemCount : kMaxItems;
    for (uint32_t i = 0; i < count; ++i) {
        if (state.items[i].id == id) {
            return &state.items[i];
        }
    }
    return nullptr;
}

const ItemRecord* FindItem(const BoardState& state, uint32_t id)
{
    return FindItem(const_cast<BoardState&>(state), id);
}

ItemRecord* AddItem(BoardState& state, uint32_t id)
{
    if (ItemRecord* existing = FindItem(state, id)) {
        return existing;
    }
    if (state.itemCount >= kMaxItems) {
        return nullptr;
    }
    ItemRecord& record = state.items[state.itemCount++];
    record = ItemRecord();
    record.id = id;
    record.supported = 1;
    return &record;
}

bool IsLiveItem(uint32_t id)
{
    return id == item::CpuPower || id == item::CpuLoad || id == item::AutoSubLevel;
}

bool BoardSupported(const BoardState& state)
{
    return FieldValue(state, Field::IsSupportFails) == 0 &&
           FieldValue(state, Field::IsSupport) == 1;
}

bool CapabilityAnswer(const BoardState& state, Field field)
{
    return BoardSupported(state) && FieldValue(state, field) != 0;
}

int32_t ControllerType(const BoardState& state)
{
    const ItemRecord* type = FindItem(state, item::ControllerType);
    return type && type->supported ? type->value[0] : 0;
}

bool IsFFamily(int32_t type)
{
    return (static_cast<uint32_t>(type) & 0xF000) == 0xF000;
}

bool Is7Family(int32_t type)
{
    return (static_cast<uint32_t>(type) & 0xF000) == 0x7000;
}

int SupportLevel(const BoardState& state)
{
    if (!BoardSupported(state)) {
        return 0;
    }
    const ItemRecord* word = FindItem(state, item::Capability);
    if (!word || !word->supported || word->readFails) {
        return 1;
    }
    int32_t value = word->value[0];
    if (value & 0xC) {
        return 4;
    }
    if (value >= 2) {
        return 3;
    }
    return (value & 1) ? 2 : 1;
}

namespace {

// Index of the profile bank that banked items answer for; -1 when the selection is out of range.
int CurrentBank(const BoardState& state)
{
    const ItemRecord* bank = FindItem(state, item::ProfileBank);
    int32_t value = bank ? bank->value[0] : 0;
    return value >= 0 && value < static_cast<int32_t>(kItemBanks) ? value : -1;
}

int32_t LiveValue(BoardState& state, const ItemRecord& record)
{
    int32_t type = ControllerType(state);
    switch (record.id) {
    case item::CpuPower:
        return static_cast<int32_t>(EncodePower(type, CpuPowerMilliwatts(state)));
    case item::CpuLoad:
        return static_cast<int32_t>(EncodeLoad(type, CpuPowerMilliwatts(state)));
    case item::AutoSubLevel:
        return AutoSubLevel(state);
    default:
        return record.value[0];
    }
}

// Every change of the gear level passes here: leaving Auto, the sub-level item keeps what the
// board's Auto logic last chose.
void MoveLevel(BoardState& state, int32_t level)
{
    if (FieldValue(state, Field::Level) == 0x8000 && level != 0x8000) {
        KeepAutoChoice(state);
    }
    FieldRef(state, Field::Level) = level;
}

} // namespace

bool ReadItem(BoardState& state, uint32_t id, int32_t* value, Access access)
{
    ItemRecord* record = FindItem(state, id);
    if (!record) {
        return false;
    }
    if (access == Access::Library &&
        (!BoardSupported(state) || !record->supported || record->readFails)) {
        return false;
    }
    if (record->banked) {
        int bank = CurrentBank(state);
        if (bank < 0) {
            return false;
        }
        *value = record->value[bank];
        return true;
    }
    *value = IsLiveItem(id) && !record->pinned ? LiveValue(state, *record) : record->value[0];
    return true;
}

bool WriteItem(BoardState& state, uint32_t id, int32_t value, Access access)
{
    ItemRecord* record = FindItem(state, id);
    if (!record) {
        return false;
    }
    if (access == Access::Library) {
        if (!BoardSupported(state) || !record->supported || record->writeFails) {
            return false;
        }
        if (record->banked) {
            int bank = CurrentBank(state);
            if (bank < 0) {
                return false;
            }
            record->value[bank] = value;
            return true;
        }
        record->value[0] = value;
    } else {
        for (int32_t& slot : record->value) {
            slot = value;
        }
        record->pinned = 1;
    }
    if (id == item::GearLevel) {
        // The Auto poll writes 0x8011 and 0x8013: Auto with a chosen state, still Auto.
        MoveLevel(state, (value == 0x8011 || value == 0x8013) ? 0x8000 : value);
    }
    return true;
}

bool ClearItem(BoardState& state, uint32_t id)
{
    ItemRecord* record = FindItem(state, id);
    if (!record) {
        return false;
    }
    for (uint32_t i = 0; i < kItemBanks; ++i) {
        record->value[i] = record->preset[i];
    }
    record->pinned = 0;
    if (id == item::GearLevel) {
        MoveLevel(state, record->value[0]);
    }
    return true;
}

bool IsItemSupported(const BoardState& state, uint32_t id)
{
    const ItemRecord* record = FindItem(state, id);
    return BoardSupported(state) && record && record->supported;
}

bool IsValidLevel(int32_t level)
{
    return level == 0 || level == 1 || level == 2 || level == 0x4000 || level == 0x8000;
}

void SetGearLevel(BoardState& state, int32_t level)
{
    MoveLevel(state, level);
    if (ItemRecord* record = FindItem(state, item::GearLevel)) {
        record->value[0] = level;
    }
}

} // namespace simboard
