#include "shell/base/ControllerLink.h"

#include "lumo/Forms/GuiThread.h"
#include "lumo/System/Source/TraceLog.h"

#include <atomic>
#include <functional>

namespace tv {
namespace {

std::atomic<ControllerLink*> g_link{nullptr};

// Tag of the queued refreshes.
const char kRefreshTag = 0;

void Deliver(const char* what, std::function<void(ControllerLink&)> call)
{
    if (lumo::GuiThread::IsGuiThread()) {
        if (ControllerLink* link = g_link.load()) {
            call(*link);
        }
        return;
    }
    // The controller is looked up when the work runs: it may have gone meanwhile.
    bool queued = lumo::GuiThread::Post(&kRefreshTag, [call] {
        if (ControllerLink* link = g_link.load()) {
            call(*link);
        }
    });
    if (!queued) {
        // No GUI thread at all: the caller is the only thread there is to tell.
        TraceLog("~~~[ControllerLink] no GUI thread for the %s refresh", what);
        if (ControllerLink* link = g_link.load()) {
            call(*link);
        }
    }
}

} // namespace

void RegisterControllerLink(ControllerLink* link)
{
    g_link.store(link);
}

ControllerLink* RegisteredControllerLink()
{
    return g_link.load();
}

namespace controller_link {

bool PendingStartupMode(int& mode)
{
    ControllerLink* link = g_link.load();
    return link && link->PendingStartupMode(mode);
}

void SetEnergyTimerEnabled(bool enabled)
{
    if (ControllerLink* link = g_link.load()) {
        link->SetEnergyTimerEnabled(enabled);
    }
}

void RefreshTray()
{
    Deliver("tray", [](ControllerLink& link) { link.RefreshTray(); });
}

void RefreshAutoState()
{
    Deliver("Auto state", [](ControllerLink& link) { link.RefreshAutoState(); });
}

void RefreshCardButton(bool cardSavesInAnyMode)
{
    Deliver("card button", [cardSavesInAnyMode](ControllerLink& link) {
        link.RefreshCardButton(cardSavesInAnyMode);
    });
}

void RefreshView()
{
    Deliver("view", [](ControllerLink& link) { link.RefreshView(); });
}

} // namespace controller_link

} // namespace tv
