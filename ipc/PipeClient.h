#pragma once
// One call at a time to a peer's pipe, each on a worker thread of its own, the caller waiting a
// bounded time. A second call while one is outstanding is refused, not queued. The worker's own
// conversation is bounded too, so a peer that accepts and never answers costs one failed call
// and keeps the pipe refused only until that bound, not for the life of the process.
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <vector>

namespace tv {

class PipeClient
{
public:
    // How long a caller waits for the worker.
    static constexpr DWORD kWaitMs = 10000;
    // How long the worker's conversation may take in all: beyond the caller's wait, so that a
    // late answer still frees the pipe as soon as it comes.
    static constexpr DWORD kWorkerLimitMs = 15000;

    struct Channel
    {
        const char* pipeName;
        DWORD replySize;
        const char* busyTrace;
        const char* timeoutTrace;
        // Process-wide admission flag of the pipe: 1 while no call is outstanding.
        volatile LONG* freeFlag;
        DWORD waitMs = kWaitMs;
        DWORD workerLimitMs = kWorkerLimitMs;
    };

    explicit PipeClient(const Channel& channel);
    PipeClient(const PipeClient&) = delete;
    PipeClient& operator=(const PipeClient&) = delete;

    // Sends request as one message; true when a reply came whose status word is 1. Payload()
    // and PayloadSize() then give the rest of the reply (cut at the reply buffer's size).
    bool Call(const void* request, DWORD size);
    // Valid after a successful Call, for the thread that made it.
    const BYTE* Payload() const;
    DWORD PayloadSize() const;

protected:
    // Call without touching the object's reply: the reply lands in reply (replySize bytes
    // at most) and the result concerns only the caller. Used by the typed requests, so that
    // callers on different threads never read each other's replies.
    bool Transact(const void* request, DWORD size, std::vector<BYTE>& reply);
    bool TransactWords(const DWORD* words, DWORD count, DWORD minimumPayload,
                       std::vector<BYTE>& reply);
    // Word index of a reply's payload (word 0 of the payload follows the status).
    static DWORD PayloadWord(const std::vector<BYTE>& reply, DWORD index);

private:
    Channel m_channel;
    lumo::CriticalSection m_lock;
    bool m_result = false;
    std::vector<BYTE> m_reply;
    DWORD m_bytesRead = 0;
};

} // namespace tv
