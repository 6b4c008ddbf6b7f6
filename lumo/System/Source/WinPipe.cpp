#include "lumo/System/Source/WinPipe.h"

#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"

#include <string>

namespace lumo {
namespace {

// The character-type specific system calls.
HANDLE CreateNamedPipeT(const char* name, DWORD openMode, DWORD pipeMode, DWORD maxInstances,
                        DWORD outBufferSize, DWORD inBufferSize, DWORD defaultTimeout,
                        LPSECURITY_ATTRIBUTES security)
{
    return CreateNamedPipeA(name, openMode, pipeMode, maxInstances, outBufferSize, inBufferSize,
                            defaultTimeout, security);
}

BOOL CallNamedPipeT(const char* name, void* request, DWORD requestSize, void* reply,
                    DWORD replySize, DWORD* read, DWORD timeout)
{
    return CallNamedPipeA(name, request, requestSize, reply, replySize, read, timeout);
}

template <typename char_t> std::basic_string<char_t> Widen(const char* text)
{
    return std::basic_string<char_t>(text, text + std::char_traits<char>::length(text));
}

} // namespace

template <typename char_t> BasicNamedPipe<char_t>::BasicNamedPipe() : m_pipe(INVALID_HANDLE_VALUE)
{}

template <typename char_t> BasicNamedPipe<char_t>::~BasicNamedPipe()
{
    Close();
}

template <typename char_t>
bool BasicNamedPipe<char_t>::Create(const char_t* name, DWORD openMode, DWORD pipeMode,
                                    DWORD maxInstances, DWORD outBufferSize, DWORD inBufferSize,
                                    DWORD defaultTimeout, LPSECURITY_ATTRIBUTES security)
{
    LUMO_ASSERT(!IsOpen() && name != NULL);
    std::basic_string<char_t> path = Widen<char_t>("\\\\.\\PIPE\\");
    path += name;
    m_pipe = CreateNamedPipeT(path.c_str(), openMode, pipeMode, maxInstances, outBufferSize,
                              inBufferSize, defaultTimeout, security);
    if (m_pipe == INVALID_HANDLE_VALUE) {
        TraceLog("[BasicNamedPipe::Create] failed! GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    return true;
}

template <typename char_t> bool BasicNamedPipe<char_t>::Close()
{
    if (!IsOpen()) {
        return true;
    }
    // Forget the handle also when closing fails: a second Close (the destructor after an
    // explicit one) must never close a handle value the system has given to someone else.
    HANDLE pipe = m_pipe;
    m_pipe = INVALID_HANDLE_VALUE;
    if (!CloseHandle(pipe)) {
        TraceLog("[BasicNamedPipe::Close] failed! GetLastError returned %d",
                 static_cast<int>(GetLastError()));
        return false;
    }
    return true;
}

template <typename char_t> bool BasicNamedPipe<char_t>::Flush()
{
    LUMO_ASSERT(IsOpen());
    if (!FlushFileBuffers(m_pipe)) {
        TraceLog("[BasicNamedPipe<char_t>::Flush] failed, GetLastError returned %d\n",
                 static_cast<int>(GetLastError()));
        return false;
    }
    return true;
}

template <typename char_t> bool BasicNamedPipe<char_t>::ConnectClient(LPOVERLAPPED overlapped)
{
    LUMO_ASSERT(IsOpen());
    LUMO_ASSERT(IsServerPipe());
    if (!ConnectNamedPipe(m_pipe, overlapped)) {
        DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            return true;
        }
        if (overlapped && error == ERROR_IO_PENDING) {
            SetLastError(error);
            return false;
        }
        TraceLog("[BasicNamedPipe<char_t>::ConnectClient] failed, GetLastError returned %d",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

template <typename char_t> bool BasicNamedPipe<char_t>::DisconnectClient()
{
    LUMO_ASSERT(IsOpen());
    LUMO_ASSERT(IsServerPipe());
    if (!DisconnectNamedPipe(m_pipe)) {
        DWORD error = GetLastError();
        TraceLog("[BasicNamedPipe<char_t>::DisconnectClient] failed, GetLastError returned %d",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

template <typename char_t>
bool BasicNamedPipe<char_t>::Write(const void* buffer, DWORD count, DWORD* written,
                                   LPOVERLAPPED overlapped)
{
    LUMO_ASSERT(IsOpen());
    DWORD ignored = 0;
    if (!WriteFile(m_pipe, buffer, count, written ? written : &ignored, overlapped)) {
        DWORD error = GetLastError();
        if (overlapped && error == ERROR_IO_PENDING) {
            SetLastError(error);
            return false;
        }
        TraceLog("[BasicNamedPipe<char_t>::Write] failed, GetLastError returned %d\n",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

template <typename char_t>
bool BasicNamedPipe<char_t>::Read(void* buffer, DWORD size, DWORD* read, LPOVERLAPPED overlapped)
{
    LUMO_ASSERT(IsOpen());
    DWORD ignored = 0;
    if (!ReadFile(m_pipe, buffer, size, read ? read : &ignored, overlapped)) {
        DWORD error = GetLastError();
        if (overlapped && error == ERROR_IO_PENDING) {
            SetLastError(error);
            return false;
        }
        TraceLog("[BasicNamedPipe<char_t>::Read] failed, GetLastError returned %d\n",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

template <typename char_t> bool BasicNamedPipe<char_t>::IsServerPipe()
{
    LUMO_ASSERT(IsOpen());
    DWORD flags = 0;
    if (!GetNamedPipeInfo(m_pipe, &flags, nullptr, nullptr, nullptr)) {
        DWORD error = GetLastError();
        TraceLog("[BasicNamedPipe<char_t>::IsServerPipe] failed, GetLastError returned %d\n",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return (flags & PIPE_SERVER_END) != 0;
}

template <typename char_t>
bool BasicNamedPipe<char_t>::OverlappedResult(LPOVERLAPPED overlapped, DWORD* transferred,
                                              bool wait)
{
    LUMO_ASSERT(IsOpen());
    DWORD ignored = 0;
    return GetOverlappedResult(m_pipe, overlapped, transferred ? transferred : &ignored,
                               wait ? TRUE : FALSE) != FALSE;
}

template <typename char_t> bool BasicNamedPipe<char_t>::CancelPending()
{
    LUMO_ASSERT(IsOpen());
    if (!CancelIo(m_pipe)) {
        DWORD error = GetLastError();
        TraceLog("[BasicNamedPipe<char_t>::CancelPending] failed, GetLastError returned %d",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

template <typename char_t>
bool BasicNamedPipe<char_t>::Call(const char_t* server, const char_t* name, const void* request,
                                  DWORD requestSize, void* reply, DWORD replySize, DWORD* read,
                                  DWORD timeout)
{
    std::basic_string<char_t> path = Widen<char_t>("\\\\");
    path += server;
    path += Widen<char_t>("\\PIPE\\");
    path += name;
    DWORD bytesRead = 0;
    // The system call takes a writable request buffer but only reads it.
    BOOL ok = CallNamedPipeT(path.c_str(), const_cast<void*>(request), requestSize, reply,
                             replySize, &bytesRead, timeout);
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (read) {
        // A reply cut at the buffer's end (ERROR_MORE_DATA) still counts its bytes.
        *read = (ok || error == ERROR_MORE_DATA) ? bytesRead : 0;
    }
    if (!ok) {
        TraceLog("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned %d",
                 static_cast<int>(error));
        SetLastError(error);
        return false;
    }
    return true;
}

namespace {

// Milliseconds left until deadline (GetTickCount time), 0 once it has passed.
DWORD Remaining(DWORD start, DWORD limitMs)
{
    DWORD elapsed = GetTickCount() - start;
    return elapsed >= limitMs ? 0 : limitMs - elapsed;
}

// One overlapped transfer on a client end, bounded: false with ERROR_TIMEOUT when the time ran
// out (the transfer is cancelled and its end waited for), else the transfer's own outcome.
bool TransferWithin(HANDLE pipe, bool write, void* buffer, DWORD size, DWORD* transferred,
                    HANDLE event, DWORD start, DWORD limitMs)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event;
    ResetEvent(event);
    BOOL done = write ? WriteFile(pipe, buffer, size, nullptr, &overlapped)
                      : ReadFile(pipe, buffer, size, nullptr, &overlapped);
    if (!done && GetLastError() != ERROR_IO_PENDING) {
        DWORD error = GetLastError();
        // A reply longer than the buffer has still filled it.
        if (error == ERROR_MORE_DATA) {
            GetOverlappedResult(pipe, &overlapped, transferred, FALSE);
        }
        SetLastError(error);
        return false;
    }
    if (WaitForSingleObject(event, Remaining(start, limitMs)) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        // The cancelled transfer ends promptly; its buffer is ours again after this.
        GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
        *transferred = 0;
        SetLastError(ERROR_TIMEOUT);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, transferred, FALSE) != FALSE;
}

} // namespace

template <typename char_t>
bool BasicNamedPipe<char_t>::CallWithin(const char_t* server, const char_t* name,
                                        const void* request, DWORD requestSize, void* reply,
                                        DWORD replySize, DWORD* read, DWORD limitMs)
{
    static_assert(sizeof(char_t) == 1, "narrow pipe names only");
    const DWORD start = GetTickCount();
    std::basic_string<char_t> path = Widen<char_t>("\\\\");
    path += server;
    path += Widen<char_t>("\\PIPE\\");
    path += name;
    DWORD bytesRead = 0;
    DWORD error = ERROR_SUCCESS;
    if (read) {
        *read = 0;
    }
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            break;
        }
        error = GetLastError();
        if (error != ERROR_PIPE_BUSY) {
            break;
        }
        // Every instance is busy: wait for one, within what is left.
        DWORD left = Remaining(start, limitMs);
        if (left == 0) {
            error = ERROR_TIMEOUT;
            break;
        }
        // Whatever the wait says, the next open tells: a free instance, still busy (until the
        // time is up) or no pipe at all.
        WaitNamedPipeA(path.c_str(), left);
    }
    bool ok = false;
    if (pipe != INVALID_HANDLE_VALUE) {
        KernelHandle owner(pipe);
        KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        DWORD mode = PIPE_READMODE_MESSAGE;
        DWORD written = 0;
        if (!event) {
            error = GetLastError();
        } else if (!SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr)) {
            error = GetLastError();
        } else if (!TransferWithin(pipe, true, const_cast<void*>(request), requestSize, &written,
                                   event.Get(), start, limitMs)) {
            error = GetLastError();
        } else if (!TransferWithin(pipe, false, reply, replySize, &bytesRead, event.Get(), start,
                                   limitMs)) {
            error = GetLastError();
        } else {
            ok = true;
        }
        // A reply cut at the buffer's end (ERROR_MORE_DATA) still counts its bytes.
        if (read && (ok || error == ERROR_MORE_DATA)) {
            *read = bytesRead;
        }
    }
    if (!ok) {
        TraceLog("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned %d",
                 static_cast<int>(error));
        SetLastError(error);
    }
    return ok;
}

template class BasicNamedPipe<char>;

} // namespace lumo
