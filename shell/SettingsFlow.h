#pragma once
// The settings flow of the main window's setting button: the advanced settings window, then the
// edited profiles taken into the store (the voltage items reach the board), the question when a
// voltage changed, the current mode applied again and the profiles saved.
#include <functional>

namespace tv {

class TAdvancedSetting;

// The flow over a given window, on the GUI thread, asking the voltage question through
// askChangeSetting (1 means apply). The window's result: 6 (confirmed with a voltage change),
// 1 (confirmed) or 2 (cancelled). A voltage change confirmed in the window and then declined puts the previous profiles
// back (their voltage items too) and leaves the mode and the saved profiles alone; an accepted
// one marks that Auto needs a new calibration.
int RunSettingsFlow(TAdvancedSetting& window, const std::function<int()>& askChangeSetting);

} // namespace tv
