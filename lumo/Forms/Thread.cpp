#include "lumo/Forms/Thread.h"

#include "lumo/Forms/Exception.h"
#include "lumo/Forms/GuiThread.h"
#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"

#include <process.h>

namespace lumo {
namespace {

// Set on threads started by TThread: they never become the GUI thread.
thread_local bool t_isWorker = false;

} // namespace

TThread::TThread(bool createSuspended) : m_suspended(createSuspended)
{
    if (!t_isWorker) {
        GuiThread::Attach();
    }
    unsigned id = 0;
    uintptr_t handle =
        _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!handle) {
        TraceLog("[TThread] _beginthreadex failed! GetLastError returned %lu", GetLastError());
        throw EOutOfResources("Thread creation error");
    }
    m_handle.Reset(reinterpret_cast<HANDLE>(handle));
    m_threadId = id;
    if (!createSuspended) {
        ResumeThread(m_handle.Get());
    }
}

TThread::~TThread()
{
    m_destroying = true;
    if (m_handle && GetCurrentThreadId() != m_threadId) {
        if (!m_finished) {
            m_terminated = true;
            if (m_suspended.exchange(false)) {
                // Never started: it runs to its end without Execute.
                ResumeThread(m_handle.Get());
            }
        }
        // Also after Finished: the thread may not have queued its end yet.
        GuiThread::WaitFor(m_handle.Get(), INFINITE);
    }
    GuiThread::Cancel(this);
}

void TThread::Resume()
{
    if (m_suspended.exchange(false)) {
        ResumeThread(m_handle.Get());
    }
}

unsigned __stdcall TThread::ThreadProc(void* parameter)
{
    t_isWorker = true;
    auto* thread = static_cast<TThread*>(parameter);
    if (!thread->m_terminated) {
        try {
            thread->Execute();
        } catch (const std::exception& e) {
            TraceLog("[TThread::ThreadProc] Execute ended by an exception: %s", e.what());
        }
    }
    DWORD result = thread->m_returnValue;
    thread->m_finished = true;
    // From here on the object may be gone: only the GUI thread touches it.
    if (!GuiThread::Post(thread, [thread] { thread->Terminated_OnGuiThread(); })) {
        thread->Terminated_OnGuiThread();
    }
    return result;
}

void TThread::Terminated_OnGuiThread()
{
    if (m_destroying) {
        return;
    }
    DoTerminate();
    if (m_freeOnTerminate) {
        delete this;
    }
}

void TThread::DoTerminate()
{
    if (OnTerminate) {
        OnTerminate(this);
    }
}

void TThread::Synchronize(std::function<void()> work)
{
    GuiThread::Send(std::move(work));
}

DWORD TThread::WaitFor()
{
    LUMO_ASSERT(!m_freeOnTerminate);
    Resume();
    GuiThread::WaitFor(m_handle.Get(), INFINITE);
    // Its termination handler, if still queued, runs now rather than later.
    GuiThread::RunPending(this);
    DWORD code = 0;
    GetExitCodeThread(m_handle.Get(), &code);
    return code;
}

} // namespace lumo
