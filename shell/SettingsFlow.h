#pragma once
// The settings flow of the main window's setting button: the advanced settings window, then the
// edited profiles taken into the store (the voltage items reach the board), the question
// "ChangeSetting" when a voltage changed, the current mode applied again and the profiles saved.

namespace tv {

// On the GUI thread, with the application's advanced settings window (made when there is none)
// and the dialog flow's generic dialog. A voltage change confirmed in the window and then
// declined puts the previous profiles back (their voltage items too) and leaves the mode and the
// saved profiles alone; an accepted one marks that Auto needs a new calibration, which the Auto
// gate offers when Auto is chosen next. The window's result: 6 (confirmed with a voltage
// change), 1 (confirmed) or 2 (cancelled).
int RunSettingsFlow();

} // namespace tv
