#pragma once
// Which implementation of the power-gear library the process uses. The program entry selects
// one before anything asks for the power-gear facade; the facade refuses to come into being
// while none is selected.

namespace tv {

inline constexpr int kNoPowerGearImplementation = -1;

// Process-wide; the last selection wins.
void SelectPowerGearImplementation(int index);
// The selected index, or kNoPowerGearImplementation.
int SelectedPowerGearImplementation();
// The facade's creation calls this first: a fatal assertion while nothing is selected.
void RequirePowerGearImplementation();

} // namespace tv
