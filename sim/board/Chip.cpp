#include "sim/board/Chip.h"

#include "sim/board/Call.h"

#include <windows.h>

namespace simboard {

namespace {

const uint8_t kEnterKey = 0x87;
const uint8_t kExitKey = 0xAA;

uint8_t Bank(const ChipState& chip)
{
    return chip.bankSelect & 0x0F;
}

void Record(BoardState& state, bool write, uint8_t bank, uint8_t reg, uint8_t value)
{
    uint32_t index = state.chipTotal++ % kChipHistoryCapacity;
    ChipAccessRecord& record = state.chipAccesses[index];
    if (state.chipTotal > kChipHistoryCapacity) {
        state.chipLastDropped = record.sequence;
    }
    Stamp stamp = NextStamp(state);
    record.sequence = stamp.sequence;
    record.processId = GetCurrentProcessId();
    record.ms = stamp.ms;
    record.write = write ? 1 : 0;
    record.bank = bank;
    record.reg = reg;
    record.value = value;
    record.reserved = 0;
}

} // namespace

uint8_t ChipIn(BoardState& state, uint16_t port)
{
    ChipState& chip = state.chip;
    switch (port) {
    case port::ConfigIndex:
        return chip.configStage == 2 ? chip.configIndex : 0xFF;
    case port::ConfigData:
        if (chip.configStage != 2) {
            return 0xFF;
        }
        if (chip.configIndex == 0x20) {
            return static_cast<uint8_t>(chip.id >> 8);
        }
        if (chip.configIndex == 0x21) {
            return static_cast<uint8_t>(chip.id & 0xFF);
        }
        return chip.config[chip.configIndex];
    case port::MonitorIndex:
        return chip.monitorIndex;
    case port::MonitorData: {
        uint8_t value = chip.monitorIndex == kBankSelectRegister
                            ? chip.bankSelect
                            : chip.banks[Bank(chip)][chip.monitorIndex];
        Record(state, false, Bank(chip), chip.monitorIndex, value);
        return value;
    }
    default:
        return 0xFF;
    }
}

void ChipOut(BoardState& state, uint16_t port, uint8_t value)
{
    ChipState& chip = state.chip;
    switch (port) {
    case port::ConfigIndex:
        if (chip.configStage == 2) {
            if (value == kExitKey) {
                chip.configStage = 0;
            } else {
                chip.configIndex = value;
            }
        } else if (value == kEnterKey) {
            chip.configStage = static_cast<uint8_t>(chip.configStage + 1);
        } else {
            chip.configStage = 0;
        }
        break;
    case port::ConfigData:
        if (chip.configStage == 2 && chip.configIndex != 0x20 && chip.configIndex != 0x21) {
            chip.config[chip.configIndex] = value;
        }
        break;
    case port::MonitorIndex:
        chip.monitorIndex = value;
        break;
    case port::MonitorData:
        Record(state, true, Bank(chip), chip.monitorIndex, value);
        if (chip.monitorIndex == kBankSelectRegister) {
            chip.bankSelect = value;
        } else {
            chip.banks[Bank(chip)][chip.monitorIndex] = value;
        }
        break;
    default:
        break;
    }
}

bool IsClassB(uint16_t id)
{
    return (id & 0xB350) == 0xB350;
}

int32_t CpuTemperatureHalf(const ChipState& chip)
{
    return (chip.banks[1][0x50] << 1) | (chip.banks[1][0x51] >> 7);
}

void SetCpuTemperatureHalf(ChipState& chip, int32_t halfDegrees)
{
    uint32_t value = static_cast<uint32_t>(halfDegrees) & 0x1FF;
    chip.banks[1][0x50] = static_cast<uint8_t>(value >> 1);
    chip.banks[1][0x51] = static_cast<uint8_t>((chip.banks[1][0x51] & 0x7F) | ((value & 1) << 7));
}

} // namespace simboard
