#pragma once
// A timer that calls OnTimer on the thread that created it (the GUI thread), every Interval
// milliseconds while Enabled. The timers of a thread share one message-only window; each has a
// system timer id of its own, which is never reused, so a destroyed timer can never be called
// again.
#include "lumo/Forms/Component.h"

namespace lumo {

class TTimer : public TComponent
{
public:
    LUMO_CLASS_NAME(TTimer)
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    // Default true; the timer runs while enabled with an interval above 0.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // Default 1000 ms; setting it restarts a running timer.
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned interval);
    // Whether the system timer is running.
    bool Running() const { return m_running; }

    TNotifyEvent OnTimer;

    // For the owner of a thread's message-only window (GuiThread): the window also carries the
    // thread's timers from now on. Its procedure passes every message to HostMessage first and
    // is done with it when that returns true.
    static void AdoptHost(HWND window);
    static bool HostMessage(HWND window, UINT message, WPARAM wParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static HWND CreateHost();
    void UpdateTimer();
    void Tick();

    // The creating thread's window that carries the system timer.
    HWND m_window = nullptr;
    UINT_PTR m_id = 0;
    bool m_enabled = true;
    unsigned m_interval = 1000;
    bool m_running = false;
};

} // namespace lumo
