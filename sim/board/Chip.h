#pragma once
// The simulated super-I/O chip behind KdIo.dll. Configuration: write 0x87 twice to port 0x2E to
// enter, then an index to 0x2E and read or write its register at 0x2F (0x20 and 0x21 hold the
// ID), 0xAA to 0x2E leaves. Hardware monitor: index at 0x295, data at 0x296; register 0x4E
// selects the bank (low nibble) that the other registers belong to. Every monitor register
// read and write, bank selects included, goes into the chip's history. The lock must be held.
#include "sim/board/BoardLayout.h"

#include <cstdint>

namespace simboard {

namespace port {
constexpr uint16_t ConfigIndex = 0x2E;
constexpr uint16_t ConfigData = 0x2F;
constexpr uint16_t MonitorIndex = 0x295;
constexpr uint16_t MonitorData = 0x296;
} // namespace port

constexpr uint8_t kBankSelectRegister = 0x4E;

uint8_t ChipIn(BoardState& state, uint16_t port);
void ChipOut(BoardState& state, uint16_t port, uint8_t value);

// Class B when (id AND 0xB350) = 0xB350, class A otherwise.
bool IsClassB(uint16_t id);

// Bank 1, registers 0x50 (bits 8..1) and 0x51 (bit 0 in bit 7): temperature in half degrees.
int32_t CpuTemperatureHalf(const ChipState& chip);
void SetCpuTemperatureHalf(ChipState& chip, int32_t halfDegrees);

} // namespace simboard
