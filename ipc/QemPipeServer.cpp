#include "ipc/QemPipeServer.h"

#include "ipc/PipeProtocol.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstring>

namespace tv {
namespace {

// Consecutive connect failures other than the one-off ERROR_NO_DATA wait a little longer each
// time, so a broken pipe never turns the server into a busy loop.
DWORD RetryDelayMs(DWORD failures)
{
    DWORD delay = 10;
    for (DWORD i = 1; i < failures && delay < 1000; ++i) {
        delay *= 2;
    }
    return delay < 1000 ? delay : 1000;
}

} // namespace

QemPipeServer::QemPipeServer(HWND window, UINT message, DWORD clientTimeoutMs)
    : m_window(window), m_message(message), m_clientTimeoutMs(clientTimeoutMs),
      m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_io(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_buffer(kBufferSize)
{}

bool QemPipeServer::Create()
{
    if (!m_stop || !m_io) {
        TraceLog("~~~[QEM PIPE Service] CreateEvent failed, GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    // A present but empty DACL: every local user may connect.
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
        TraceLog("~~~[QEM PIPE Service] Security descriptor failed, GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    SECURITY_ATTRIBUTES security;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = &descriptor;
    security.bInheritHandle = TRUE;
    return m_pipe.Create(pipe::kBoardPipe, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kBufferSize,
                         kBufferSize, 0, &security);
}

bool QemPipeServer::StopRequested() const
{
    return !m_stop || WaitForSingleObject(m_stop.Get(), 0) == WAIT_OBJECT_0;
}

void QemPipeServer::RequestStop()
{
    if (m_stop) {
        SetEvent(m_stop.Get());
    }
}

DWORD QemPipeServer::Remaining() const
{
    DWORD elapsed = GetTickCount() - m_connectedAt;
    return elapsed >= m_clientTimeoutMs ? 0 : m_clientTimeoutMs - elapsed;
}

LPOVERLAPPED QemPipeServer::Begin()
{
    std::memset(&m_overlapped, 0, sizeof m_overlapped);
    ResetEvent(m_io.Get());
    m_overlapped.hEvent = m_io.Get();
    m_transferred = 0;
    return &m_overlapped;
}

QemPipeServer::Outcome QemPipeServer::Finish(bool returned, bool bounded, bool& ok)
{
    DWORD error = returned ? ERROR_SUCCESS : GetLastError();
    if (returned || error != ERROR_IO_PENDING) {
        // Ended at once. A message longer than the buffer has still filled it.
        ok = returned;
        if (returned || error == ERROR_MORE_DATA) {
            m_pipe.OverlappedResult(&m_overlapped, &m_transferred, false);
        }
        SetLastError(error);
        return Outcome::Done;
    }
    HANDLE waits[] = {m_io.Get(), m_stop.Get()};
    DWORD waited = WaitForMultipleObjects(2, waits, FALSE, bounded ? Remaining() : INFINITE);
    if (waited == WAIT_OBJECT_0) {
        ok = m_pipe.OverlappedResult(&m_overlapped, &m_transferred, false);
        return Outcome::Done;
    }
    // Time is up, or a stop: the operation is cancelled on this thread, which started it, and
    // its end waited for, after which the buffer and the structure are ours again.
    m_pipe.CancelPending();
    m_pipe.OverlappedResult(&m_overlapped, &m_transferred, true);
    ok = false;
    return waited == WAIT_OBJECT_0 + 1 ? Outcome::Stopped : Outcome::TimedOut;
}

bool QemPipeServer::WaitForClient()
{
    DWORD failures = 0;
    for (;;) {
        if (StopRequested()) {
            return false;
        }
        bool connected = m_pipe.ConnectClient(Begin());
        if (!connected && GetLastError() == ERROR_IO_PENDING) {
            if (Finish(false, false, connected) == Outcome::Stopped) {
                return false;
            }
            if (!connected) {
                TraceLog("~~~[QEM PIPE Service] MB Pipe Server connect failed, GetLastError "
                         "returned %d",
                         static_cast<int>(GetLastError()));
            }
        }
        if (connected) {
            m_connectedAt = GetTickCount();
            return !StopRequested();
        }
        DWORD error = GetLastError();
        ++failures;
        if (error == ERROR_NO_DATA) {
            // A client connected and left before we listened: the instance stays dead until it
            // is disconnected, and every further connect would fail at once.
            m_pipe.DisconnectClient();
            if (failures == 1) {
                continue;
            }
        }
        WaitForSingleObject(m_stop.Get(), RetryDelayMs(failures));
    }
}

QemPipeServer::Outcome QemPipeServer::Receive(bool& received, bool& tooLong)
{
    bool returned = m_pipe.Read(m_buffer.data(), kBufferSize, nullptr, Begin());
    Outcome outcome = Finish(returned, true, received);
    tooLong = outcome == Outcome::Done && !received && GetLastError() == ERROR_MORE_DATA;
    return outcome;
}

QemPipeServer::Outcome QemPipeServer::Drain(bool& ok)
{
    for (;;) {
        bool returned = m_pipe.Read(m_buffer.data(), kBufferSize, nullptr, Begin());
        Outcome outcome = Finish(returned, true, ok);
        if (outcome != Outcome::Done || ok || GetLastError() != ERROR_MORE_DATA) {
            return outcome;
        }
    }
}

QemPipeServer::Outcome QemPipeServer::Reply(DWORD status, bool& ok)
{
    bool returned = m_pipe.Write(&status, sizeof status, nullptr, Begin());
    return Finish(returned, true, ok);
}

QemPipeServer::Outcome QemPipeServer::AwaitClientEnd()
{
    // Ends with ERROR_BROKEN_PIPE once the client has closed, at once when it already has: the
    // expected end, so read without the transport's failure trace. Anything the client still
    // sends ends the conversation all the same.
    bool ignored = false;
    bool returned =
        ReadFile(m_pipe.Handle(), m_buffer.data(), kBufferSize, nullptr, Begin()) != FALSE;
    return Finish(returned, true, ignored);
}

bool QemPipeServer::ServeNextClient()
{
    if (!WaitForClient()) {
        return false;
    }
    // A client that sends nothing or never takes its reply must not hold the only instance.
    bool received = false;
    bool tooLong = false;
    Outcome outcome = Receive(received, tooLong);
    const bool silent = outcome == Outcome::TimedOut;
    bool answer = received;
    DWORD status = pipe::kStatusFailure;
    if (received) {
        status = HandleRequest(m_buffer.data(), m_transferred);
    } else if (tooLong) {
        TraceLog("~~~[QEM PIPE Service] MB Pipe Server refused a request longer than %d bytes",
                 static_cast<int>(kBufferSize));
        outcome = Drain(answer);
    }
    if (outcome == Outcome::Done && answer) {
        bool written = false;
        outcome = Reply(status, written);
        if (outcome == Outcome::Done && written) {
            outcome = AwaitClientEnd();
        }
    }
    if (outcome == Outcome::TimedOut) {
        if (silent) {
            TraceLog("~~~[QEM PIPE Service] MB Pipe Server disconnected a client silent for %u ms",
                     static_cast<unsigned>(m_clientTimeoutMs));
        } else {
            TraceLog("~~~[QEM PIPE Service] MB Pipe Server disconnected a client that did not "
                     "take its reply within %u ms",
                     static_cast<unsigned>(m_clientTimeoutMs));
        }
    }
    m_pipe.DisconnectClient();
    return !StopRequested();
}

DWORD QemPipeServer::HandleRequest(const BYTE* request, DWORD size)
{
    if (size < sizeof(DWORD)) {
        return pipe::kStatusFailure;
    }
    DWORD code;
    std::memcpy(&code, request, sizeof code);
    switch (code) {
    case pipe::kCardConnected:
    case pipe::kCardDisconnected:
    case pipe::kCardSyncSettingChanged:
    case pipe::kCardModeChanged:
        if (!PostMessageA(m_window, m_message, code, 0)) {
            TraceLog("~~~[QEM PIPE Service] PostMessage failed, GetLastError returned %d",
                     static_cast<int>(GetLastError()));
        }
        return pipe::kStatusSuccess;
    default:
        TraceLog("~~~[QEM PIPE Service] MB Pipe Server can not handle the command %x",
                 static_cast<unsigned>(code));
        return pipe::kStatusFailure;
    }
}

} // namespace tv
