#pragma once
// Work handed to the GUI thread: the thread that created the application or, before there is
// one, the first thread that attached. Worker threads queue work here; it runs from whatever
// message loop the GUI thread is in (also modal loops and message boxes).
#include <windows.h>
#include <functional>

namespace lumo {

class GuiThread
{
public:
    // Makes the calling thread the GUI thread unless a live one is attached already.
    static void Attach();
    static bool IsGuiThread();

    // Queues work for the GUI thread, labelled with tag (for Cancel). False when there is no
    // GUI thread: the work is then not queued.
    static bool Post(const void* tag, std::function<void()> work);
    // Runs work on the GUI thread and waits until it has run; on the GUI thread itself, or
    // when there is none, it runs at once on the calling thread. A framework exception of the
    // work is shown on the GUI thread; any other one is thrown again to the caller.
    static void Send(std::function<void()> work);
    // Drops queued work with this tag.
    static void Cancel(const void* tag);
    // Runs queued work now (GUI thread only); with a tag, only that tag's work.
    static void RunPending(const void* tag = nullptr);

    // Waits for handle at most timeoutMs while running the queued work (so a worker that is
    // handing something to the GUI thread is not blocked by the wait). Returns the result of
    // the wait: WAIT_OBJECT_0 or WAIT_TIMEOUT (WAIT_FAILED for a bad handle).
    static DWORD WaitFor(HANDLE handle, DWORD timeoutMs);
};

} // namespace lumo
