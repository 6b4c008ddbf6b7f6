#pragma once
// The idle watcher: when the user's last input is older than the threshold, the main controller
// blacks the screen out (or asks Opti Doze to). A full mode change sets it from the mode's
// profile on the mode thread; the controller's idle check reads it on the GUI thread.
#include <windows.h>
#include <mutex>

namespace tv {

class IdleWatcher
{
public:
    static constexpr DWORD kInitialThresholdMs = 200000;

    struct State
    {
        DWORD lastInputTick;
        DWORD thresholdMs;
        bool enabled;
        bool reported;
    };

    // Last input now, threshold 200000 ms, disabled.
    IdleWatcher();
    IdleWatcher(const IdleWatcher&) = delete;
    IdleWatcher& operator=(const IdleWatcher&) = delete;

    // The one of the process, created on first use.
    static IdleWatcher& Instance();

    State Snapshot() const;
    // Starts watching afresh: last input now, not reported, enabled, the new threshold.
    void Restart(DWORD thresholdMs);
    void Disable();

    // The idle check with the tick of the user's last input (GetLastInputInfo) and now: takes a
    // newer input tick, then true exactly once when the idle time first exceeds the threshold;
    // new input clears the report. Always false while disabled.
    bool Check(DWORD now, DWORD lastInputTick);

private:
    mutable std::mutex m_lock;
    State m_state;
};

} // namespace tv
