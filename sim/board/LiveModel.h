#pragma once
// The live readings: CPU power and CPU current follow the gear in force and the CPU load (the
// machine's real one through GetSystemTimes, or a fixed percentage), encoded the way the
// controller type expects; outside the F family the board's own Auto logic moves the Auto
// sub-level item by that load against the thresholds. The lock must be held.
#include "sim/board/BoardLayout.h"

#include <cstdint>

namespace simboard {

// CPU load in tenths of a percent.
uint32_t CpuLoadPermille(BoardState& state);
// Power of the gear in force, in percent of High performance.
int32_t GearPercent(BoardState& state);
uint32_t CpuPowerMilliwatts(BoardState& state);

// The power item's raw value: milliwatts on the F and 7 families, 5-milliwatt steps on 0x7010,
// a linear-11 word (low 16 bits) on every other type.
uint32_t EncodePower(int32_t controllerType, uint32_t milliwatts);
// The CPU current item: milliamps on the F family (thousands), amperes 0..255 elsewhere, both at
// a core voltage of 1.25 V.
uint32_t EncodeLoad(int32_t controllerType, uint32_t milliwatts);
// Closest linear-11 word for a non-negative value: 5-bit signed exponent, 11-bit mantissa.
uint16_t EncodeLinear11(double value);

// Runs the board's Auto logic once (load against thresholds 1 to 3: below 1 gives 3, below 2
// gives 2, below 3 gives 1, else 0) and stores the result in item 0x0E060001 unless pinned.
int32_t UpdateAutoSubLevel(BoardState& state);

} // namespace simboard
