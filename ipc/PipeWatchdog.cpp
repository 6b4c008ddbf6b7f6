#include "ipc/PipeWatchdog.h"

#include "lumo/System/Source/TraceLog.h"

namespace tv {

PipeWatchdog::PipeWatchdog()
{
    InitializeCriticalSection(&m_lock);
}

PipeWatchdog::~PipeWatchdog()
{
    Stop();
    DeleteCriticalSection(&m_lock);
}

bool PipeWatchdog::Start()
{
    if (m_thread) {
        return true;
    }
    m_stop = false;
    m_wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_wake) {
        TraceLog("~~~[PipeWatchdog] CreateEvent failed, GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    m_thread.Reset(CreateThread(nullptr, 0, &PipeWatchdog::Run, this, 0, nullptr));
    if (!m_thread) {
        TraceLog("~~~[PipeWatchdog] CreateThread failed, GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    return true;
}

void PipeWatchdog::Stop()
{
    if (!m_thread) {
        return;
    }
    EnterCriticalSection(&m_lock);
    m_stop = true;
    m_armed = false;
    LeaveCriticalSection(&m_lock);
    SetEvent(m_wake.Get());
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
}

void PipeWatchdog::Arm(HANDLE pipe, DWORD timeoutMs)
{
    EnterCriticalSection(&m_lock);
    m_pipe = pipe;
    m_armedAt = GetTickCount();
    m_timeoutMs = timeoutMs;
    m_armed = true;
    m_fired = false;
    LeaveCriticalSection(&m_lock);
    SetEvent(m_wake.Get());
}

bool PipeWatchdog::Disarm()
{
    EnterCriticalSection(&m_lock);
    bool fired = m_fired;
    m_armed = false;
    m_fired = false;
    m_pipe = nullptr;
    LeaveCriticalSection(&m_lock);
    return fired;
}

void PipeWatchdog::FireNow()
{
    EnterCriticalSection(&m_lock);
    m_timeoutMs = 0;
    LeaveCriticalSection(&m_lock);
    SetEvent(m_wake.Get());
}

DWORD WINAPI PipeWatchdog::Run(void* self)
{
    static_cast<PipeWatchdog*>(self)->Loop();
    return 0;
}

void PipeWatchdog::Loop()
{
    for (;;) {
        DWORD wait = INFINITE;
        EnterCriticalSection(&m_lock);
        if (m_stop) {
            LeaveCriticalSection(&m_lock);
            return;
        }
        if (m_armed) {
            DWORD elapsed = GetTickCount() - m_armedAt;
            if (elapsed >= m_timeoutMs) {
                // Under the lock, so that a Disarm racing with us cannot let the next client be
                // disconnected instead of this one.
                DisconnectNamedPipe(m_pipe);
                m_fired = true;
                m_armed = false;
            } else {
                wait = m_timeoutMs - elapsed;
            }
        }
        LeaveCriticalSection(&m_lock);
        WaitForSingleObject(m_wake.Get(), wait);
    }
}

} // namespace tv
