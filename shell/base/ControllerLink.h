#pragma once
// What the power monitor, the mode thread and the calibration need of the main controller: the
// pending start-up mode, the energy timer and the refreshes of the tray, the main view and the
// card button. The main controller implements it and registers itself; until one is registered
// the calls do nothing.
#include <windows.h>

namespace tv {

class ControllerLink
{
public:
    virtual ~ControllerLink() = default;

    // True while a start-up mode waits for InitGearModeTimer; mode is that mode as held.
    virtual bool PendingStartupMode(int& mode) = 0;
    // Switches EnergySavingTimer.
    virtual void SetEnergyTimerEnabled(bool enabled) = 0;
    // Tray icon and tip for the level in force (after a level-only change).
    virtual void RefreshTray() = 0;
    // The Auto state changed: tray menu and main view.
    virtual void RefreshAutoState() = 0;
    // The card button is enabled exactly when the card saves in no mode; then the main view.
    virtual void RefreshCardButton(bool cardSavesInAnyMode) = 0;
    // The main view.
    virtual void RefreshView() = 0;
};

// Registers the controller (not owned; nullptr removes it). On the GUI thread.
void RegisterControllerLink(ControllerLink* link);
ControllerLink* RegisteredControllerLink();

// The calls as the other parts make them. Queries and the timer switch are made on the GUI
// thread and answer "nothing pending" without a controller. The refreshes may be raised on any
// thread: off the GUI thread they are queued for it and reach the controller registered when
// they run; nobody waits for them. Before there is a GUI thread they are delivered at once.
namespace controller_link {

bool PendingStartupMode(int& mode);
void SetEnergyTimerEnabled(bool enabled);
void RefreshTray();
void RefreshAutoState();
void RefreshCardButton(bool cardSavesInAnyMode);
void RefreshView();

} // namespace controller_link

} // namespace tv
