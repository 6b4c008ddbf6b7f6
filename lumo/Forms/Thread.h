#pragma once
// A worker thread: created suspended or running, Execute on its own thread, a termination
// handler (OnTerminate) delivered on the GUI thread after Execute returned, optionally freeing
// itself right after that handler, and waiting for its end.
#include "lumo/Forms/Types.h"
#include "lumo/System/Source/Owners.h"

#include <atomic>
#include <functional>

namespace lumo {

class TThread : public TObject
{
public:
    LUMO_CLASS_NAME(TThread)
    // Throws EOutOfResources when the thread cannot be created.
    explicit TThread(bool createSuspended);
    // A thread that is still running is asked to terminate and waited for.
    ~TThread() override;

    // Starts a suspended thread (once).
    void Resume();
    void Start() { Resume(); }
    bool Suspended() const { return m_suspended; }

    // Asks Execute to stop; it reads Terminated() and decides.
    void Terminate() { m_terminated = true; }
    bool Terminated() const { return m_terminated; }
    bool Finished() const { return m_finished; }

    // A free-on-terminate thread deletes itself on the GUI thread right after OnTerminate.
    bool FreeOnTerminate() const { return m_freeOnTerminate; }
    void SetFreeOnTerminate(bool free) { m_freeOnTerminate = free; }

    // Waits for the end of the thread (running queued GUI work meanwhile when called on the
    // GUI thread, then this thread's OnTerminate) and returns ReturnValue. Not allowed for a
    // free-on-terminate thread, which may be gone at any time.
    DWORD WaitFor();

    HANDLE Handle() const { return m_handle.Get(); }
    DWORD ThreadID() const { return m_threadId; }
    DWORD ReturnValue() const { return m_returnValue; }

    // Runs on the GUI thread after Execute returned (sender: the thread). Without a GUI thread
    // it runs on the ending thread itself.
    TNotifyEvent OnTerminate;

protected:
    virtual void Execute() = 0;
    // Runs work on the GUI thread and waits for it.
    void Synchronize(std::function<void()> work);
    void SetReturnValue(DWORD value) { m_returnValue = value; }
    virtual void DoTerminate();

private:
    static unsigned __stdcall ThreadProc(void* parameter);
    void Terminated_OnGuiThread();

    KernelHandle m_handle;
    DWORD m_threadId = 0;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_suspended{false};
    std::atomic<bool> m_freeOnTerminate{false};
    std::atomic<bool> m_destroying{false};
    DWORD m_returnValue = 0;
};

} // namespace lumo
