#include "lumo/Forms/GuiThread.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Timer.h"
#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WindowClass.h"

#include <deque>
#include <exception>
#include <mutex>

namespace lumo {
namespace {

constexpr char kWindowClass[] = "TGuiThreadWindow";
constexpr UINT kWake = WM_APP + 0x3F02;
// How often a sender checks that the GUI thread it waits for is still there.
constexpr DWORD kSendPollMs = 250;

struct Item
{
    const void* tag;
    std::function<void()> work;
};

struct State
{
    std::mutex lock;
    std::deque<Item> queue;
    HWND window = nullptr;
    DWORD threadId = 0;
};

State& Shared()
{
    // Lives for the process: workers may still post while static objects are torn down.
    static State* state = new State;
    return *state;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The GUI thread's timers share this window.
    if (TTimer::HostMessage(window, message, wParam)) {
        return 0;
    }
    if (message == kWake) {
        GuiThread::RunPending();
        return 0;
    }
    if (message == WM_NCDESTROY) {
        State& state = Shared();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.window == window) {
            state.window = nullptr;
            state.threadId = 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void GuiThread::Attach()
{
    State& state = Shared();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.window && IsWindow(state.window)) {
            return;
        }
    }
    WNDCLASSEXA windowClass = {};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterWindowClass("GuiThread::Attach", windowClass)) {
        return;
    }
    HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        TraceLog("[GuiThread::Attach] CreateWindowEx failed! GetLastError returned %lu",
                 GetLastError());
        return;
    }
    TTimer::AdoptHost(window);
    std::lock_guard<std::mutex> guard(state.lock);
    state.window = window;
    state.threadId = GetCurrentThreadId();
    if (!state.queue.empty()) {
        PostMessageA(window, kWake, 0, 0);
    }
}

bool GuiThread::IsGuiThread()
{
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.window && state.threadId == GetCurrentThreadId();
}

bool GuiThread::Post(const void* tag, std::function<void()> work)
{
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.window) {
        return false;
    }
    state.queue.push_back(Item{tag, std::move(work)});
    if (!PostMessageA(state.window, kWake, 0, 0)) {
        // The GUI thread has gone (its window with it).
        state.queue.pop_back();
        return false;
    }
    return true;
}

void GuiThread::Send(std::function<void()> work)
{
    if (IsGuiThread()) {
        work();
        return;
    }
    KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        work();
        return;
    }
    HANDLE event = done.Get();
    // The waiting thread is released on every path: a framework exception is shown on the GUI
    // thread as any queued work's is, any other one is handed back to the sender.
    std::exception_ptr failure;
    bool posted = Post(event, [&work, &failure, event] {
        try {
            work();
        } catch (const Exception& e) {
            HandleFrameworkException(e);
        } catch (...) {
            failure = std::current_exception();
        }
        SetEvent(event);
    });
    if (!posted) {
        work();
        return;
    }
    while (WaitForSingleObject(event, kSendPollMs) == WAIT_TIMEOUT) {
        // A GUI thread that has gone never runs its queue: take the work back if it is still
        // queued and run it here, as when there is no GUI thread at all.
        State& state = Shared();
        bool takenBack = false;
        {
            std::lock_guard<std::mutex> guard(state.lock);
            if (!state.window) {
                for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
                    if (it->tag == event) {
                        state.queue.erase(it);
                        takenBack = true;
                        break;
                    }
                }
            }
        }
        if (takenBack) {
            work();
            return;
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void GuiThread::Cancel(const void* tag)
{
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    for (auto it = state.queue.begin(); it != state.queue.end();) {
        if (it->tag == tag) {
            it = state.queue.erase(it);
        } else {
            ++it;
        }
    }
}

void GuiThread::RunPending(const void* tag)
{
    State& state = Shared();
    for (;;) {
        Item item;
        {
            std::lock_guard<std::mutex> guard(state.lock);
            if (state.threadId != GetCurrentThreadId()) {
                return;
            }
            auto it = state.queue.begin();
            while (it != state.queue.end() && tag && it->tag != tag) {
                ++it;
            }
            if (it == state.queue.end()) {
                return;
            }
            item = std::move(*it);
            state.queue.erase(it);
        }
        try {
            item.work();
        } catch (const Exception& e) {
            HandleFrameworkException(e);
        }
    }
}

DWORD GuiThread::WaitFor(HANDLE handle, DWORD timeoutMs)
{
    if (!IsGuiThread()) {
        return WaitForSingleObject(handle, timeoutMs);
    }
    DWORD start = GetTickCount();
    for (;;) {
        RunPending();
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            DWORD elapsed = GetTickCount() - start;
            remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        }
        DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, remaining,
                                                 QS_POSTMESSAGE | QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) {
            return result == WAIT_OBJECT_0 ? WAIT_OBJECT_0 : result;
        }
        // Sent messages are delivered by the peek; our own wake-ups are taken off the queue.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        HWND window;
        {
            std::lock_guard<std::mutex> guard(Shared().lock);
            window = Shared().window;
        }
        while (window && PeekMessageA(&message, window, kWake, kWake, PM_REMOVE)) {
        }
    }
}

} // namespace lumo
