#pragma once
// The frame of a pipe peer: a stop event (set by the control command "quit" or Ctrl+C), the
// control pipe with the commands every peer knows, and the log of the requests it served.
#include "sim/board/Stamp.h"
#include "sim/peers/kit/MessagePipeServer.h"

#include <windows.h>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tvsim {

// Every request a peer served, in order (the newest `kept`; the count goes on), each stamped
// with the board's counter and clock when a stamper is set.
class RequestLog
{
public:
    using Stamper = std::function<simboard::Stamp()>;

    explicit RequestLog(size_t kept = 100000) : m_kept(kept ? kept : 1) {}
    // How many requests are kept (at least 1); older ones beyond it are dropped now.
    void SetKept(size_t kept);
    // Taken while the log is locked, so that the log's order and the numbers agree.
    void SetStamper(Stamper stamper);
    void Record(const Bytes& request);
    // "ok COUNT", then "-- N dropped, the newest SEQ --" when requests after `since` were
    // dropped (N: since the start or clear), then one line per kept request after `since`:
    // "SEQ MS HEX" (its bytes in hex; SEQ 0 when unstamped).
    std::string Format(uint32_t since = 0) const;
    unsigned long Count() const;
    void Clear();

private:
    struct Entry
    {
        simboard::Stamp stamp;
        Bytes bytes;
    };
    size_t m_kept;
    mutable std::mutex m_lock;
    Stamper m_stamper;
    std::deque<Entry> m_requests;
    unsigned long m_count = 0;
    uint32_t m_lastDropped = 0;
};

class PeerRuntime
{
public:
    // Peer-specific control commands: true when the command was known (reply filled, starting
    // with "ok" or "error: ").
    using CommandHandler =
        std::function<bool(const std::vector<std::string>& words, std::string& reply)>;

    PeerRuntime();
    ~PeerRuntime();
    PeerRuntime(const PeerRuntime&) = delete;
    PeerRuntime& operator=(const PeerRuntime&) = delete;

    HANDLE StopEvent() const { return m_stop; }
    void RequestStop() { SetEvent(m_stop); }
    bool Stopping() const { return WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0; }
    // Sleeps ms; false when a stop cut it short.
    bool Pause(DWORD ms) const { return WaitForSingleObject(m_stop, ms) == WAIT_TIMEOUT; }
    RequestLog& Log() { return m_log; }

    // Serves a pipe until the stop (full name "\\.\pipe\" + name).
    bool Serve(const std::string& name, int instances, PipeHandler handler, std::string& error);
    // Serves a peer's own pipe: every request logged (and printed as "tag: request HEX" when
    // verbose), answered after delay() milliseconds unless a stop comes first.
    bool ServeRecorded(const std::string& name, int instances, const char* tag, bool verbose,
                       std::function<DWORD()> delay, PipeHandler answer, std::string& error);
    // Starts the control pipe last, so that a peer answering "ping" serves everything else.
    bool StartControl(const std::string& name, CommandHandler handler, std::string& error);
    // Waits for the stop, then for every pipe thread.
    void WaitForStop();

private:
    std::string Control(const std::string& command);
    static BOOL WINAPI OnConsoleEvent(DWORD event);

    HANDLE m_stop;
    RequestLog m_log;
    CommandHandler m_handler;
    std::vector<std::unique_ptr<MessagePipeServer>> m_servers;
};

} // namespace tvsim
