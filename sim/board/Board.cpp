#include "sim/board/Board.h"

#include "sim/board/BoardLogic.h"
#include "sim/board/Chip.h"
#include "sim/board/LiveModel.h"
#include "sim/board/Numbers.h"
#include "sim/board/Preset.h"
#include "sim/board/SharedBoard.h"

#include <cstring>

namespace simboard {

namespace {

template <typename Body> bool Locked(Body body)
{
    BoardLock lock;
    return lock && body(lock.State());
}

ItemState ToItemState(const ItemRecord& record)
{
    ItemState state;
    state.id = record.id;
    state.value = record.value[0];
    for (uint32_t i = 0; i < kItemBanks; ++i) {
        state.bankValues[i] = record.value[i];
    }
    state.supported = record.supported != 0;
    state.readFails = record.readFails != 0;
    state.writeFails = record.writeFails != 0;
    state.pinned = record.pinned != 0;
    state.banked = record.banked != 0;
    state.live = IsLiveItem(record.id);
    return state;
}

} // namespace

bool Available()
{
    return Locked([](BoardState&) { return true; });
}

std::string UnavailableReason()
{
    return LastError();
}

bool Reset(const std::string& preset, std::string* error)
{
    BoardLock lock(BoardLock::Purpose::Replace);
    if (!lock) {
        if (error) {
            *error = "the board is not available: " + simboard::LastError();
        }
        return false;
    }
    return LoadPreset(preset, lock.State(), error);
}

bool ResetToConfigured(std::string* error)
{
    return Reset(ConfiguredPreset(), error);
}

std::string PresetName()
{
    std::string name;
    Locked([&](BoardState& state) {
        name.assign(state.preset, strnlen(state.preset, kPresetNameSize));
        return true;
    });
    return name;
}

bool GetField(Field field, int32_t* value)
{
    if (field >= Field::Count) {
        return false;
    }
    return Locked([&](BoardState& state) {
        *value = FieldValue(state, field);
        return true;
    });
}

int32_t FieldValue(Field field)
{
    int32_t value = 0;
    GetField(field, &value);
    return value;
}

bool SetField(Field field, int32_t value)
{
    if (field >= Field::Count) {
        return false;
    }
    return Locked([&](BoardState& state) {
        if (field == Field::Level) {
            SetGearLevel(state, value);
        } else {
            FieldRef(state, field) = value;
        }
        return true;
    });
}

bool HasItem(uint32_t item)
{
    return Locked([&](BoardState& state) { return FindItem(state, item) != nullptr; });
}

bool GetItem(uint32_t item, int32_t* value)
{
    return Locked([&](BoardState& state) { return ReadItem(state, item, value, Access::Control); });
}

bool SetItem(uint32_t item, int32_t value)
{
    return Locked(
        [&](BoardState& state) { return WriteItem(state, item, value, Access::Control); });
}

bool SetBankItem(uint32_t item, uint32_t bank, int32_t value)
{
    return Locked([&](BoardState& state) {
        ItemRecord* record = FindItem(state, item);
        if (!record || !record->banked || bank >= kItemBanks) {
            return false;
        }
        record->value[bank] = value;
        return true;
    });
}

bool ClearItem(uint32_t item)
{
    return Locked([&](BoardState& state) { return ClearItem(state, item); });
}

bool SetItemFlags(uint32_t item, bool supported, bool readFails, bool writeFails)
{
    return Locked([&](BoardState& state) {
        ItemRecord* record = FindItem(state, item);
        if (!record) {
            return false;
        }
        record->supported = supported ? 1 : 0;
        record->readFails = readFails ? 1 : 0;
        record->writeFails = writeFails ? 1 : 0;
        return true;
    });
}

bool AddItem(uint32_t item, int32_t value)
{
    return Locked([&](BoardState& state) {
        bool existed = FindItem(state, item) != nullptr;
        ItemRecord* record = AddItem(state, item);
        if (!record) {
            return false;
        }
        if (!existed) {
            for (uint32_t i = 0; i < kItemBanks; ++i) {
                record->value[i] = record->preset[i] = value;
            }
        }
        return true;
    });
}

bool GetItemState(uint32_t item, ItemState* result)
{
    return Locked([&](BoardState& state) {
        const ItemRecord* record = FindItem(state, item);
        if (!record) {
            return false;
        }
        *result = ToItemState(*record);
        return true;
    });
}

std::vector<ItemState> Items()
{
    std::vector<ItemState> items;
    Locked([&](BoardState& state) {
        for (uint32_t i = 0; i < state.itemCount && i < kMaxItems; ++i) {
            items.push_back(ToItemState(state.items[i]));
        }
        return true;
    });
    return items;
}

uint16_t ChipId()
{
    uint16_t id = 0;
    Locked([&](BoardState& state) {
        id = state.chip.id;
        return true;
    });
    return id;
}

bool SetChipId(uint16_t id)
{
    return Locked([&](BoardState& state) {
        state.chip.id = id;
        return true;
    });
}

bool IsChipClassB(uint16_t id)
{
    return IsClassB(id);
}

uint8_t ChipRegister(uint8_t bank, uint8_t reg)
{
    uint8_t value = 0;
    Locked([&](BoardState& state) {
        if (reg == kBankSelectRegister) {
            value = state.chip.bankSelect;
        } else {
            value = state.chip.banks[bank % kChipBanks][reg];
        }
        return true;
    });
    return value;
}

bool SetChipRegister(uint8_t bank, uint8_t reg, uint8_t value)
{
    if (bank >= kChipBanks) {
        return false;
    }
    return Locked([&](BoardState& state) {
        if (reg == kBankSelectRegister) {
            state.chip.bankSelect = value;
        } else {
            state.chip.banks[bank][reg] = value;
        }
        return true;
    });
}

int32_t CpuTemperatureHalf()
{
    int32_t value = 0;
    Locked([&](BoardState& state) {
        value = CpuTemperatureHalf(state.chip);
        return true;
    });
    return value;
}

bool SetCpuTemperatureHalf(int32_t halfDegrees)
{
    if (halfDegrees < 0 || halfDegrees > 0x1FF) {
        return false;
    }
    return Locked([&](BoardState& state) {
        SetCpuTemperatureHalf(state.chip, halfDegrees);
        return true;
    });
}

uint8_t ChipBank()
{
    uint8_t bank = 0;
    Locked([&](BoardState& state) {
        bank = state.chip.bankSelect & 0x0F;
        return true;
    });
    return bank;
}

std::string KdIoOpenFolder()
{
    std::string folder;
    Locked([&](BoardState& state) {
        folder.assign(state.kdioFolder, strnlen(state.kdioFolder, kFolderSize));
        return true;
    });
    return folder;
}

std::vector<uint32_t> Package()
{
    std::vector<uint32_t> elements;
    Locked([&](BoardState& state) {
        uint32_t count =
            state.packageCount < kMaxPackageElements ? state.packageCount : kMaxPackageElements;
        elements.assign(state.package, state.package + count);
        return true;
    });
    return elements;
}

bool SetPackage(const std::vector<uint32_t>& elements)
{
    if (elements.size() > kMaxPackageElements) {
        return false;
    }
    return Locked([&](BoardState& state) {
        state.packageCount = static_cast<uint32_t>(elements.size());
        std::copy(elements.begin(), elements.end(), state.package);
        return true;
    });
}

bool GetActiveScheme(GUID* scheme)
{
    static_assert(sizeof(GUID) == sizeof(BoardState::activeScheme), "GUID size");
    return Locked([&](BoardState& state) {
        std::memcpy(scheme, state.activeScheme, sizeof(GUID));
        return true;
    });
}

bool SetActiveScheme(const GUID& scheme)
{
    return Locked([&](BoardState& state) {
        std::memcpy(state.activeScheme, &scheme, sizeof(GUID));
        return true;
    });
}

uint32_t CpuPowerMilliwatts()
{
    uint32_t value = 0;
    Locked([&](BoardState& state) {
        value = CpuPowerMilliwatts(state);
        return true;
    });
    return value;
}

uint32_t CpuLoadPermille()
{
    uint32_t value = 0;
    Locked([&](BoardState& state) {
        value = CpuLoadPermille(state);
        return true;
    });
    return value;
}

} // namespace simboard
