#pragma once
// The board pipe "KALDO QEM MB PIPE": one message-mode instance on which the graphics-card
// utility announces itself and its changes. Accepted notifications are posted to a window.
//
// All I/O is overlapped and started, waited for and, when its time is up, cancelled (CancelIo)
// on the serving thread itself: a synchronous handle would serialise a disconnect from another
// thread behind a pending read, so a silent client could hold the server and its stop for ever.
#include "lumo/System/Source/Owners.h"
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
    QemPipeServer(const QemPipeServer&) = delete;
    QemPipeServer& operator=(const QemPipeServer&) = delete;

    // Creates the pipe (any local user may connect).
    bool Create();
    // Waits for the next client and serves its one request; every wait ends on a stop. False
    // once a stop was requested. Only ever called on one thread.
    bool ServeNextClient();
    // Asks the serving thread to stop; from any thread. It never touches the pipe itself.
    void RequestStop();

    // The answer to one request (status word), posting accepted codes.
    DWORD HandleRequest(const BYTE* request, DWORD size);

private:
    enum class Outcome
    {
        Done,     // the operation ended; its own result is in the result fields
        TimedOut, // cancelled when the client's time was up
        Stopped,  // cancelled for a stop
    };

    bool StopRequested() const;
    bool WaitForClient();
    // Readies m_overlapped for the next operation.
    LPOVERLAPPED Begin();
    // Waits for the overlapped operation just begun (returned: what its call returned) until a
    // stop or, when bounded, the end of the client's time; cancels it then. For Done, ok tells
    // its result, GetLastError its error and m_transferred its byte count.
    Outcome Finish(bool returned, bool bounded, bool& ok);
    // One request into m_buffer: received (its size in m_transferred), or too long for it.
    Outcome Receive(bool& received, bool& tooLong);
    // Reads the rest of a message that did not fit; ok when it was read.
    Outcome Drain(bool& ok);
    Outcome Reply(DWORD status, bool& ok);
    // Waits until the client has closed its end, so that it has taken the reply before the
    // disconnect discards what is left in the pipe.
    Outcome AwaitClientEnd();
    // What is left of the connected client's time.
    DWORD Remaining() const;

    HWND m_window;
    UINT m_message;
    DWORD m_clientTimeoutMs;
    lumo::BasicNamedPipe<char> m_pipe;
    lumo::KernelHandle m_stop;
    lumo::KernelHandle m_io;
    OVERLAPPED m_overlapped = {};
    DWORD m_transferred = 0;
    DWORD m_connectedAt = 0;
    std::vector<BYTE> m_buffer;
};

} // namespace tv
