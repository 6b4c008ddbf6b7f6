#include "sim/peers/kit/MessagePipeServer.h"

namespace tvsim {

IoResult AwaitIo(HANDLE handle, OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs,
                 HANDLE stopEvent, DWORD& bytes, DWORD& error)
{
    bytes = 0;
    error = ERROR_SUCCESS;
    if (!started) {
        error = GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) {
            return IoResult::Failed;
        }
    }
    if (!started && error == ERROR_IO_PENDING) {
        HANDLE waits[] = {overlapped.hEvent, stopEvent};
        DWORD count = stopEvent ? 2 : 1;
        DWORD waited = WaitForMultipleObjects(count, waits, FALSE, timeoutMs);
        if (waited != WAIT_OBJECT_0) {
            CancelIo(handle);
            GetOverlappedResult(handle, &overlapped, &bytes, TRUE);
            error = waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : ERROR_OPERATION_ABORTED;
            return waited == WAIT_TIMEOUT ? IoResult::TimedOut : IoResult::Stopped;
        }
    }
    if (!GetOverlappedResult(handle, &overlapped, &bytes, TRUE)) {
        error = GetLastError();
        return IoResult::Failed;
    }
    error = ERROR_SUCCESS;
    return IoResult::Done;
}

namespace {

// Reads one whole message; MORE_DATA parts are joined.
IoResult ReadMessage(HANDLE pipe, HANDLE io, DWORD timeoutMs, HANDLE stop, Bytes& message,
                     DWORD& error)
{
    message.clear();
    unsigned char chunk[4096];
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = io;
        DWORD bytes = 0;
        BOOL started = ReadFile(pipe, chunk, sizeof chunk, nullptr, &overlapped);
        IoResult result = AwaitIo(pipe, overlapped, started, timeoutMs, stop, bytes, error);
        if (result == IoResult::Failed && error == ERROR_MORE_DATA) {
            message.insert(message.end(), chunk, chunk + bytes);
            continue;
        }
        if (result == IoResult::Done) {
            message.insert(message.end(), chunk, chunk + bytes);
        }
        return result;
    }
}

IoResult WriteMessage(HANDLE pipe, HANDLE io, DWORD timeoutMs, HANDLE stop, const Bytes& message,
                      DWORD& error)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = io;
    DWORD bytes = 0;
    BOOL started =
        WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, &overlapped);
    return AwaitIo(pipe, overlapped, started, timeoutMs, stop, bytes, error);
}

} // namespace

MessagePipeServer::MessagePipeServer(std::string path, int instances, HANDLE stopEvent,
                                     PipeHandler handler)
    : m_path(std::move(path)), m_instances(instances), m_stop(stopEvent),
      m_handler(std::move(handler))
{}

MessagePipeServer::~MessagePipeServer()
{
    SetEvent(m_stop);
    Join();
}

bool MessagePipeServer::Start(std::string& error)
{
    // A second peer on the same name must fail, not serve beside the first (not every system
    // honours FILE_FLAG_FIRST_PIPE_INSTANCE).
    if (WaitNamedPipeA(m_path.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = m_path + " is already served";
        return false;
    }
    for (int i = 0; i < m_instances; ++i) {
        DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED;
        if (i == 0) {
            openMode |= FILE_FLAG_FIRST_PIPE_INSTANCE;
        }
        HANDLE pipe = CreateNamedPipeA(m_path.c_str(), openMode,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                       PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            error = "cannot create " + m_path + " (GetLastError " + std::to_string(GetLastError()) +
                    ")";
            return false;
        }
        m_list.push_back({this, pipe, CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr});
    }
    for (Instance& instance : m_list) {
        instance.thread = CreateThread(nullptr, 0, &MessagePipeServer::Run, &instance, 0, nullptr);
        if (!instance.thread) {
            error = "cannot start a thread (GetLastError " + std::to_string(GetLastError()) + ")";
            return false;
        }
    }
    return true;
}

void MessagePipeServer::Join()
{
    for (Instance& instance : m_list) {
        if (instance.thread) {
            WaitForSingleObject(instance.thread, INFINITE);
            CloseHandle(instance.thread);
        }
        CloseHandle(instance.io);
        CloseHandle(instance.pipe);
    }
    m_list.clear();
}

DWORD WINAPI MessagePipeServer::Run(void* context)
{
    auto* instance = static_cast<Instance*>(context);
    instance->server->Serve(*instance);
    return 0;
}

void MessagePipeServer::Serve(Instance& instance)
{
    HANDLE pipe = instance.pipe;
    while (WaitForSingleObject(m_stop, 0) == WAIT_TIMEOUT) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = instance.io;
        DWORD bytes = 0;
        DWORD error = 0;
        BOOL started = ConnectNamedPipe(pipe, &overlapped);
        IoResult result = AwaitIo(pipe, overlapped, started, INFINITE, m_stop, bytes, error);
        if (result == IoResult::Stopped) {
            return;
        }
        if (result == IoResult::Failed && error != ERROR_PIPE_CONNECTED) {
            // ERROR_NO_DATA: a client came and went; anything else: try again shortly.
            DisconnectNamedPipe(pipe);
            if (error != ERROR_NO_DATA && WaitForSingleObject(m_stop, 50) != WAIT_TIMEOUT) {
                return;
            }
            continue;
        }
        Bytes request;
        if (ReadMessage(pipe, instance.io, kClientTimeoutMs, m_stop, request, error) ==
            IoResult::Done) {
            Bytes reply = m_handler(request);
            if (!reply.empty() && WriteMessage(pipe, instance.io, kClientTimeoutMs, m_stop, reply,
                                               error) == IoResult::Done) {
                // Disconnecting now could discard the reply before the client read it: wait
                // until the client closes its end, also when stopping (the reply to "quit").
                Bytes rest;
                ReadMessage(pipe, instance.io, kReplyTakeMs, nullptr, rest, error);
            }
        }
        DisconnectNamedPipe(pipe);
    }
}

bool TimedCall(const std::string& path, const Bytes& request, Bytes& reply, DWORD timeoutMs,
               DWORD& error)
{
    reply.clear();
    DWORD start = GetTickCount();
    auto remaining = [&]() -> DWORD {
        DWORD elapsed = GetTickCount() - start;
        return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    };
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            break;
        }
        error = GetLastError();
        if (error != ERROR_PIPE_BUSY || remaining() == 0) {
            return false;
        }
        WaitNamedPipeA(path.c_str(), remaining() < 100 ? remaining() : 100);
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    HANDLE io = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    IoResult result = WriteMessage(pipe, io, remaining(), nullptr, request, error);
    if (result == IoResult::Done) {
        result = ReadMessage(pipe, io, remaining(), nullptr, reply, error);
    }
    CloseHandle(io);
    CloseHandle(pipe);
    if (result == IoResult::TimedOut) {
        error = WAIT_TIMEOUT;
    }
    return result == IoResult::Done;
}

} // namespace tvsim
