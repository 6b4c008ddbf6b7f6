#pragma once
// The permanent thread that serves the board pipe for the whole life of the program. Its only
// contact with the rest of the program is the message it posts to the given window.
#include "ipc/QemPipeServer.h"
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <memory>

namespace tv {

class QemPipeServerThread
{
public:
    explicit QemPipeServerThread(DWORD clientTimeoutMs = QemPipeServer::kDefaultClientTimeoutMs);
    // Stops the thread if it still runs.
    ~QemPipeServerThread();
    QemPipeServerThread(const QemPipeServerThread&) = delete;
    QemPipeServerThread& operator=(const QemPipeServerThread&) = delete;

    // Creates the pipe and starts serving: each accepted notification is posted to window as
    // message (WPARAM = code, LPARAM = 0). False when the pipe cannot be created (already served
    // elsewhere, for instance) or when the thread already runs.
    bool Start(HWND window, UINT message);
    // The program never stops the server; tests and an orderly teardown do. Every wait of the
    // serving thread ends on the stop, so this never waits on a client; returns once the thread
    // has ended (or, should it not end within kStopWaitMs, leaves it and its server be).
    void Stop();
    static constexpr DWORD kStopWaitMs = 10000;
    bool IsRunning() const;

private:
    static DWORD WINAPI Run(void* self);

    DWORD m_clientTimeoutMs;
    std::unique_ptr<QemPipeServer> m_server;
    lumo::KernelHandle m_thread;
    lumo::KernelHandle m_created;
    bool m_createdOk = false;
};

} // namespace tv
