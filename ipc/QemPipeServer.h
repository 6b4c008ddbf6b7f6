#pragma once
// The board pipe "KALDO QEM MB PIPE": one message-mode instance on which the graphics-card
// utility announces itself and its changes. Accepted notifications are posted to a window.
#include "ipc/OwnedHandle.h"
#include "ipc/PipeWatchdog.h"
#include "lumo/System/Source/WinPipe.h"

#include <windows.h>
#include <vector>

namespace tv {

class QemPipeServer
{
public:
    static constexpr DWORD kBufferSize = 16384;
    // How long a connected client may take to send its request and take the reply.
    static constexpr DWORD kDefaultClientTimeoutMs = 3000;

    // Accepted codes are posted to window as message with WPARAM = code, LPARAM = 0.
    QemPipeServer(HWND window, UINT message, DWORD clientTimeoutMs = kDefaultClientTimeoutMs);
    ~QemPipeServer();
    QemPipeServer(const QemPipeServer&) = delete;
    QemPipeServer& operator=(const QemPipeServer&) = delete;

    // Creates the pipe (any local user may connect) and the watchdog.
    bool Create();
    // Waits for the next client and serves its one request. False once a stop was requested.
    bool ServeNextClient();
    // Ends the conversation in progress and wakes a server waiting for a client; from any
    // thread. Call it until the serving thread has returned.
    void RequestStop();

    // The answer to one request (status word), posting accepted codes.
    DWORD HandleRequest(const BYTE* request, DWORD size);

private:
    bool WaitForClient();
    bool StopRequested() const;
    // Reads the rest of a message that did not fit; false when the client went away.
    bool DrainMessage();

    HWND m_window;
    UINT m_message;
    DWORD m_clientTimeoutMs;
    lumo::BasicNamedPipe<char> m_pipe;
    PipeWatchdog m_watchdog;
    OwnedHandle m_stop;
    std::vector<BYTE> m_buffer;
};

} // namespace tv
