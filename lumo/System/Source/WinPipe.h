#pragma once
// Thin owner of one Win32 named-pipe handle: the server side (create, wait for a client, read,
// write, flush, disconnect) and a one-shot client call. Failed system calls are traced with
// GetLastError and reported as false; misuse is caught by assertions.
#include <windows.h>

namespace lumo {

template <typename char_t> class BasicNamedPipe
{
public:
    BasicNamedPipe();
    virtual ~BasicNamedPipe();
    BasicNamedPipe(const BasicNamedPipe&) = delete;
    BasicNamedPipe& operator=(const BasicNamedPipe&) = delete;

    // Creates the server end "\\.\PIPE\" + name.
    virtual bool Create(const char_t* name, DWORD openMode, DWORD pipeMode, DWORD maxInstances,
                        DWORD outBufferSize, DWORD inBufferSize, DWORD defaultTimeout,
                        LPSECURITY_ATTRIBUTES security);
    // True without a system call when nothing is open.
    virtual bool Close();
    virtual bool Flush();
    // Also true when the client connected before the call.
    // With an overlapped structure (a pipe created with FILE_FLAG_OVERLAPPED), ConnectClient,
    // Write and Read may return false with GetLastError() == ERROR_IO_PENDING: the operation
    // was started, not failed, and is not traced; OverlappedResult tells its end.
    virtual bool ConnectClient(LPOVERLAPPED overlapped = nullptr);
    virtual bool DisconnectClient();
    virtual bool Write(const void* buffer, DWORD count, DWORD* written,
                       LPOVERLAPPED overlapped = nullptr);
    // A message longer than the buffer fails with ERROR_MORE_DATA; *read still tells the bytes
    // placed in the buffer.
    virtual bool Read(void* buffer, DWORD size, DWORD* read, LPOVERLAPPED overlapped = nullptr);
    virtual bool IsServerPipe();
    // The outcome of an overlapped operation (GetOverlappedResult); wait: until it has ended.
    // Not traced: a failure here is the operation's own result, for the caller to judge.
    bool OverlappedResult(LPOVERLAPPED overlapped, DWORD* transferred, bool wait);
    // Cancels the overlapped operations that the calling thread started on the pipe (CancelIo,
    // which every supported Windows has). Their ends must still be waited for.
    bool CancelPending();

    bool IsOpen() const { return m_pipe != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_pipe; }

    // Sends one message to "\\" + server + "\PIPE\" + name and receives one reply. *read is set
    // also when the reply did not fit (ERROR_MORE_DATA). Keeps no state; any thread may call it.
    static bool Call(const char_t* server, const char_t* name, const void* request,
                     DWORD requestSize, void* reply, DWORD replySize, DWORD* read, DWORD timeout);
    // The same conversation within limitMs in all (waiting for a free instance, sending and
    // receiving): a peer that accepts and never answers costs this call, not the caller's
    // thread. The pending I/O is cancelled on this thread; the failure is ERROR_TIMEOUT, traced
    // as Call's failures are.
    static bool CallWithin(const char_t* server, const char_t* name, const void* request,
                           DWORD requestSize, void* reply, DWORD replySize, DWORD* read,
                           DWORD limitMs);

private:
    HANDLE m_pipe;
};

extern template class BasicNamedPipe<char>;

} // namespace lumo
