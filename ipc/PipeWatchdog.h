#pragma once
// Ends a server pipe's conversation that takes too long. A synchronous read or flush on the
// server end waits for the client as long as the client likes; disconnecting the pipe from
// another thread completes the pending operation with an error (CancelSynchronousIo does not
// exist before Vista).
#include "ipc/OwnedHandle.h"

#include <windows.h>

namespace tv {

class PipeWatchdog
{
public:
    PipeWatchdog();
    ~PipeWatchdog();
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

    bool Start();
    void Stop();

    // Disconnects pipe unless Disarm is called within timeoutMs.
    void Arm(HANDLE pipe, DWORD timeoutMs);
    // True when the watchdog disconnected the pipe since Arm. Once it returns, the watchdog no
    // longer touches the pipe, so the next client is safe from it.
    bool Disarm();
    // Disconnects an armed pipe at once (orderly stop).
    void FireNow();

private:
    static DWORD WINAPI Run(void* self);
    void Loop();

    CRITICAL_SECTION m_lock;
    OwnedHandle m_wake;
    OwnedHandle m_thread;
    HANDLE m_pipe = nullptr;
    DWORD m_armedAt = 0;
    DWORD m_timeoutMs = 0;
    bool m_armed = false;
    bool m_fired = false;
    bool m_stop = false;
};

} // namespace tv
