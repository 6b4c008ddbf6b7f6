#pragma once
// A message-mode pipe served on several instances, one thread each, with overlapped I/O so
// that a stop request or a silent client can never hold a peer forever.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace tvsim {

using Bytes = std::vector<unsigned char>;
// Answers one request; an empty answer sends nothing.
using PipeHandler = std::function<Bytes(const Bytes& request)>;

class MessagePipeServer
{
public:
    // How long a connected client may take to send its request, and to take the reply.
    static constexpr DWORD kClientTimeoutMs = 10000;
    // How long the reply is kept for a client that has not closed its end yet.
    static constexpr DWORD kReplyTakeMs = 5000;

    // path: the full name ("\\.\pipe\NAME"). stopEvent: manual-reset, owned by the caller.
    MessagePipeServer(std::string path, int instances, HANDLE stopEvent, PipeHandler handler);
    ~MessagePipeServer();
    MessagePipeServer(const MessagePipeServer&) = delete;
    MessagePipeServer& operator=(const MessagePipeServer&) = delete;

    // Creates every instance (the pipe exists once this returns) and starts serving. Fails when
    // someone already serves the name.
    bool Start(std::string& error);
    // Waits for the instance threads after the stop event was set.
    void Join();

private:
    struct Instance
    {
        MessagePipeServer* server;
        HANDLE pipe;
        HANDLE io;
        HANDLE thread;
    };
    static DWORD WINAPI Run(void* context);
    void Serve(Instance& instance);

    std::string m_path;
    int m_instances;
    HANDLE m_stop;
    PipeHandler m_handler;
    std::vector<Instance> m_list;
};

// Outcome of one overlapped operation waited for with a limit.
enum class IoResult
{
    Done,
    Failed,
    TimedOut,
    Stopped
};

// Waits for an overlapped operation started on handle (started = the call's return value). On
// time-out or stop the operation is cancelled and completed before returning, so the buffer
// and the OVERLAPPED may go away afterwards. error: GetLastError of a failure.
IoResult AwaitIo(HANDLE handle, OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs,
                 HANDLE stopEvent, DWORD& bytes, DWORD& error);

// A complete client conversation with a time limit: connect (waiting for a busy pipe), send
// one message, read one whole reply. False with error set (GetLastError, or WAIT_TIMEOUT).
bool TimedCall(const std::string& path, const Bytes& request, Bytes& reply, DWORD timeoutMs,
               DWORD& error);

} // namespace tvsim
