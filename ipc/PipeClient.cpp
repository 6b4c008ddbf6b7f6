#include "ipc/PipeClient.h"

#include "ipc/PipeProtocol.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinPipe.h"

#include <algorithm>
#include <cstring>

namespace tv {
namespace {

// Everything a worker touches. It is shared by the caller and the worker and freed by whichever
// lets go last: a worker that outlives its caller's wait writes only here, never into memory
// the caller has reused.
struct CallState
{
    volatile LONG references = 2;
    const char* pipeName = nullptr;
    volatile LONG* freeFlag = nullptr;
    DWORD limitMs = 0;
    std::vector<BYTE> request;
    std::vector<BYTE> reply;
    DWORD bytesRead = 0;
    bool result = false;
};

void Release(CallState* state)
{
    if (InterlockedDecrement(&state->references) == 0) {
        delete state;
    }
}

DWORD WINAPI RunCall(void* context)
{
    auto* state = static_cast<CallState*>(context);
    DWORD read = 0;
    state->result = lumo::BasicNamedPipe<char>::CallWithin(
        pipe::kLocalServer, state->pipeName, state->request.data(),
        static_cast<DWORD>(state->request.size()), state->reply.data(),
        static_cast<DWORD>(state->reply.size()), &read, state->limitMs);
    state->bytesRead = read;
    volatile LONG* freeFlag = state->freeFlag;
    Release(state);
    InterlockedExchange(freeFlag, 1);
    return 0;
}

// Waits for the worker. A window's thread meanwhile answers what other threads and programs send
// it (the suite's utilities, a second instance, the system), so a peer that is slow to answer
// does not make the window hang for them; posted messages and timers stay queued for the message
// loop, so nothing of the program itself runs in the middle of the call.
DWORD WaitForWorker(HANDLE worker, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed >= waitMs ? 0 : waitMs - elapsed;
        const DWORD waited = MsgWaitForMultipleObjects(1, &worker, FALSE, left, QS_SENDMESSAGE);
        if (waited != WAIT_OBJECT_0 + 1) {
            return waited;
        }
        // Delivers the sent messages waiting for this thread; removes nothing from the queue.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

PipeClient::PipeClient(const Channel& channel) : m_channel(channel), m_reply(channel.replySize) {}

bool PipeClient::Transact(const void* request, DWORD size, std::vector<BYTE>& reply)
{
    reply.clear();
    if (InterlockedExchange(m_channel.freeFlag, 0) != 1) {
        TraceLog("%s", m_channel.busyTrace);
        return false;
    }
    auto* state = new CallState;
    state->pipeName = m_channel.pipeName;
    state->freeFlag = m_channel.freeFlag;
    state->limitMs = m_channel.workerLimitMs;
    state->request.assign(static_cast<const BYTE*>(request),
                          static_cast<const BYTE*>(request) + size);
    state->reply.assign(m_channel.replySize, 0);

    lumo::KernelHandle worker(CreateThread(nullptr, 0, &RunCall, state, CREATE_SUSPENDED, nullptr));
    if (!worker) {
        TraceLog("%s CreateThread failed, GetLastError returned %d", m_channel.pipeName,
                 static_cast<int>(GetLastError()));
        delete state;
        InterlockedExchange(m_channel.freeFlag, 1);
        return false;
    }
    if (ResumeThread(worker.Get()) == static_cast<DWORD>(-1)) {
        // The worker never ran, so it holds nothing: end it, and undo the admission that it
        // would have undone, or the pipe would stay refused for good.
        TraceLog("%s ResumeThread failed, GetLastError returned %d", m_channel.pipeName,
                 static_cast<int>(GetLastError()));
        TerminateThread(worker.Get(), 1);
        WaitForSingleObject(worker.Get(), INFINITE);
        delete state;
        InterlockedExchange(m_channel.freeFlag, 1);
        return false;
    }
    DWORD waited = WaitForWorker(worker.Get(), m_channel.waitMs);
    if (waited != WAIT_OBJECT_0) {
        // The worker keeps its state and frees the pipe when it ends; until then calls are
        // refused.
        TraceLog("%s", m_channel.timeoutTrace);
        Release(state);
        return false;
    }
    bool answered = false;
    // A usable reply has its status word: a complete one, or one cut at the buffer's end
    // (ERROR_MORE_DATA, more than 3 bytes read). A shorter one fails even when the call
    // succeeded, or its status would be read from bytes the peer never sent.
    if (state->bytesRead >= sizeof(DWORD)) {
        reply.assign(state->reply.begin(), state->reply.begin() + state->bytesRead);
        DWORD status;
        std::memcpy(&status, reply.data(), sizeof status);
        answered = status == pipe::kStatusSuccess;
    }
    Release(state);
    return answered;
}

bool PipeClient::Call(const void* request, DWORD size)
{
    std::vector<BYTE> reply;
    bool answered = Transact(request, size, reply);
    lumo::CriticalSectionLock lock(m_lock);
    m_result = answered;
    std::fill(m_reply.begin(), m_reply.end(), 0);
    std::copy(reply.begin(), reply.end(), m_reply.begin());
    m_bytesRead = static_cast<DWORD>(reply.size());
    return answered;
}

const BYTE* PipeClient::Payload() const
{
    return m_reply.data() + sizeof(DWORD);
}

DWORD PipeClient::PayloadSize() const
{
    return m_result && m_bytesRead >= sizeof(DWORD) ? m_bytesRead - sizeof(DWORD) : 0;
}

bool PipeClient::TransactWords(const DWORD* words, DWORD count, DWORD minimumPayload,
                               std::vector<BYTE>& reply)
{
    return Transact(words, count * sizeof(DWORD), reply) &&
           reply.size() - sizeof(DWORD) >= minimumPayload;
}

DWORD PipeClient::PayloadWord(const std::vector<BYTE>& reply, DWORD index)
{
    DWORD word;
    std::memcpy(&word, reply.data() + sizeof(DWORD) * (index + 1), sizeof word);
    return word;
}

} // namespace tv
