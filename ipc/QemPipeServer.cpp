#include "ipc/QemPipeServer.h"

#include "ipc/PipeProtocol.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstring>
#include <string>

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
      m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_buffer(kBufferSize)
{}

QemPipeServer::~QemPipeServer()
{
    m_watchdog.Stop();
}

bool QemPipeServer::Create()
{
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
    if (!m_pipe.Create(pipe::kBoardPipe, PIPE_ACCESS_DUPLEX,
                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kBufferSize,
                       kBufferSize, 0, &security)) {
        return false;
    }
    if (!m_stop || !m_watchdog.Start()) {
        m_pipe.Close();
        return false;
    }
    return true;
}

bool QemPipeServer::StopRequested() const
{
    return !m_stop || WaitForSingleObject(m_stop.Get(), 0) == WAIT_OBJECT_0;
}

bool QemPipeServer::WaitForClient()
{
    DWORD failures = 0;
    for (;;) {
        if (StopRequested()) {
            return false;
        }
        if (m_pipe.ConnectClient()) {
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

bool QemPipeServer::DrainMessage()
{
    for (;;) {
        DWORD read = 0;
        if (m_pipe.Read(m_buffer.data(), kBufferSize, &read)) {
            return true;
        }
        if (GetLastError() != ERROR_MORE_DATA) {
            return false;
        }
    }
}

bool QemPipeServer::ServeNextClient()
{
    if (!WaitForClient()) {
        return false;
    }
    // A client that sends nothing or never takes its reply must not hold the only instance.
    m_watchdog.Arm(m_pipe.Handle(), m_clientTimeoutMs);
    DWORD read = 0;
    bool received = m_pipe.Read(m_buffer.data(), kBufferSize, &read);
    bool answer = received;
    DWORD status = pipe::kStatusFailure;
    if (received) {
        status = HandleRequest(m_buffer.data(), read);
    } else if (GetLastError() == ERROR_MORE_DATA) {
        TraceLog("~~~[QEM PIPE Service] MB Pipe Server refused a request longer than %d bytes",
                 static_cast<int>(kBufferSize));
        answer = DrainMessage();
    }
    if (answer) {
        DWORD written = 0;
        m_pipe.Write(&status, sizeof status, &written);
    }
    m_pipe.Flush();
    if (m_watchdog.Disarm()) {
        TraceLog("~~~[QEM PIPE Service] MB Pipe Server disconnected a client silent for %u ms",
                 static_cast<unsigned>(m_clientTimeoutMs));
    } else {
        m_pipe.DisconnectClient();
    }
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

void QemPipeServer::RequestStop()
{
    if (m_stop) {
        SetEvent(m_stop.Get());
    }
    m_watchdog.FireNow();
    // Becoming a client for a moment completes a connect that is waiting.
    std::string path = std::string("\\\\.\\PIPE\\") + pipe::kBoardPipe;
    HANDLE client = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (client != INVALID_HANDLE_VALUE) {
        CloseHandle(client);
    }
}

} // namespace tv
