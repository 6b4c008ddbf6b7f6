#include "ipc/QemPipeServerThread.h"

#include "lumo/System/Source/TraceLog.h"

namespace tv {

QemPipeServerThread::QemPipeServerThread(DWORD clientTimeoutMs) : m_clientTimeoutMs(clientTimeoutMs)
{}

QemPipeServerThread::~QemPipeServerThread()
{
    Stop();
}

bool QemPipeServerThread::Start(HWND window, UINT message)
{
    if (m_thread) {
        return false;
    }
    m_server.reset(new QemPipeServer(window, message, m_clientTimeoutMs));
    m_created.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_createdOk = false;
    if (m_created) {
        m_thread.Reset(CreateThread(nullptr, 0, &QemPipeServerThread::Run, this, 0, nullptr));
    }
    if (!m_thread) {
        TraceLog("~~~[QEM PIPE Service] CreateThread failed, GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        m_server.reset();
        return false;
    }
    // The pipe exists once Start returns, so a client may call at once.
    HANDLE waits[] = {m_created.Get(), m_thread.Get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (!m_createdOk) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
        m_server.reset();
        return false;
    }
    return true;
}

DWORD WINAPI QemPipeServerThread::Run(void* context)
{
    auto* self = static_cast<QemPipeServerThread*>(context);
    self->m_createdOk = self->m_server->Create();
    SetEvent(self->m_created.Get());
    if (!self->m_createdOk) {
        return 1;
    }
    while (self->m_server->ServeNextClient()) {
    }
    return 0;
}

void QemPipeServerThread::Stop()
{
    if (!m_thread) {
        return;
    }
    m_server->RequestStop();
    if (WaitForSingleObject(m_thread.Get(), kStopWaitMs) != WAIT_OBJECT_0) {
        // Not seen on any system: the thread still uses its server, so both are left alive.
        TraceLog("~~~[QEM PIPE Service] the server thread did not end within %lu ms",
                 static_cast<unsigned long>(kStopWaitMs));
        m_thread.Release();
        m_server.release();
        return;
    }
    m_thread.Reset();
    m_server.reset();
}

bool QemPipeServerThread::IsRunning() const
{
    return m_thread && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

} // namespace tv
