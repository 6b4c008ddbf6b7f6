#pragma once
// The live readings: CPU power and CPU current follow the gear in force and the CPU load (the
// machine's real one through GetSystemTimes, or a fixed percentage), encoded the way the
// controller type expects; outside the F family the board's own Auto logic chooses the Auto
// sub-level from that load and the thresholds whenever the power is worked out, so nothing needs
// to read the sub-level item for the power to follow the load. The lock must be held.
#include "sim/board/BoardLayout.h"

#include <cstdint>

namespace simboard {

// CPU load in tenths of a percent.
uint32_t CpuLoadPermille(BoardState& state);
// Power of the gear in force, in percent of High performance.
int32_t GearPercent(BoardState& state);
// The power the load draws at a gear of that many percent of High performance.
uint32_t PowerAtPercent(BoardState& state, int32_t gearPercent);
uint32_t CpuPowerMilliwatts(BoardState& state);

// The power item's raw value: milliwatts on the F and 7 families, 5-milliwatt steps on 0x7010,
// a linear-11 word (low 16 bits) on every other type.
uint32_t EncodePower(int32_t controllerType, uint32_t milliwatts);
// The CPU current item: milliamps on the F family (thousands), amperes 0..255 elsewhere, both at
// a core voltage of 1.25 V.
uint32_t EncodeLoad(int32_t controllerType, uint32_t milliwatts);
// Closest linear-11 word for a non-negative value: 5-bit signed exponent, 11-bit mantissa.
uint16_t EncodeLinear11(double value);

// The board's Auto logic: the CPU current the load draws at High performance against thresholds
// 1 to 3 (below 1 gives 3, below 2 gives 2, below 3 gives 1, else 0; unsigned comparisons).
int32_t AutoChoice(BoardState& state);
// Outside the F family at level Auto the board runs its Auto logic.
bool BoardRunsAuto(const BoardState& state);
// The sub-level in force: an explicit value of item 0x0E060001, else the Auto logic's choice
// while the board runs it, else the item's stored value (1 without the item). Changes nothing.
int32_t AutoSubLevel(BoardState& state);
// Leaving Auto: the item keeps the board's last choice (unless an explicit value holds).
void KeepAutoChoice(BoardState& state);

} // namespace simboard
