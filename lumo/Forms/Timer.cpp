#include "lumo/Forms/Timer.h"

#include "lumo/Forms/Application.h"
#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WindowClass.h"

#include <map>

namespace lumo {
namespace {

constexpr char kWindowClass[] = "TTimerWindow";

// The timers alive, by their system timer id, and each thread's host window. A WM_TIMER that
// was queued for a timer destroyed since finds no timer here and is dropped.
struct Registry
{
    CriticalSection lock;
    std::map<UINT_PTR, TTimer*> timers;
    std::map<DWORD, HWND> hosts;
    UINT_PTR lastId = 0;
};

Registry& Timers()
{
    // Never destroyed: timers of static objects may outlive any other static.
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    Registry& registry = Timers();
    {
        CriticalSectionLock lock(registry.lock);
        m_id = ++registry.lastId;
        registry.timers[m_id] = this;
        auto host = registry.hosts.find(GetCurrentThreadId());
        if (host != registry.hosts.end()) {
            m_window = host->second;
        }
    }
    if (!m_window) {
        m_window = CreateHost();
    }
    UpdateTimer();
}

TTimer::~TTimer()
{
    Registry& registry = Timers();
    CriticalSectionLock lock(registry.lock);
    if (m_window && m_running) {
        KillTimer(m_window, m_id);
    }
    registry.timers.erase(m_id);
}

HWND TTimer::CreateHost()
{
    WNDCLASSEXA windowClass = {};
    windowClass.lpfnWndProc = &TTimer::WindowProc;
    windowClass.lpszClassName = kWindowClass;
    RegisterWindowClass("TTimer", windowClass);
    // One message-only window carries the timers of its thread.
    HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        TraceLog("[TTimer] CreateWindowEx failed! GetLastError returned %lu", GetLastError());
        return nullptr;
    }
    Registry& registry = Timers();
    CriticalSectionLock lock(registry.lock);
    registry.hosts[GetCurrentThreadId()] = window;
    return window;
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled != m_enabled) {
        m_enabled = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned interval)
{
    if (interval != m_interval) {
        m_interval = interval;
        UpdateTimer();
    }
}

void TTimer::UpdateTimer()
{
    if (!m_window) {
        return;
    }
    if (m_running) {
        KillTimer(m_window, m_id);
        m_running = false;
    }
    if (m_enabled && m_interval > 0) {
        m_running = SetTimer(m_window, m_id, m_interval, nullptr) != 0;
        if (!m_running) {
            TraceLog("[TTimer::UpdateTimer] SetTimer failed! GetLastError returned %lu",
                     GetLastError());
        }
    }
}

void TTimer::Tick()
{
    if (m_enabled && OnTimer && !IsDestroying()) {
        OnTimer(this);
    }
}

void TTimer::AdoptHost(HWND window)
{
    Registry& registry = Timers();
    CriticalSectionLock lock(registry.lock);
    registry.hosts[GetCurrentThreadId()] = window;
}

bool TTimer::HostMessage(HWND window, UINT message, WPARAM wParam)
{
    Registry& registry = Timers();
    if (message == WM_NCDESTROY) {
        // The thread ends, or someone destroyed the window: its timers stop for good.
        CriticalSectionLock lock(registry.lock);
        for (auto host = registry.hosts.begin(); host != registry.hosts.end();) {
            host = host->second == window ? registry.hosts.erase(host) : std::next(host);
        }
        for (auto& entry : registry.timers) {
            if (entry.second->m_window == window) {
                entry.second->m_window = nullptr;
                entry.second->m_running = false;
            }
        }
        return false;
    }
    if (message != WM_TIMER) {
        return false;
    }
    TTimer* timer = nullptr;
    {
        CriticalSectionLock lock(registry.lock);
        auto found = registry.timers.find(static_cast<UINT_PTR>(wParam));
        if (found != registry.timers.end() && found->second->m_window == window) {
            timer = found->second;
        }
    }
    if (timer) {
        try {
            timer->Tick();
        } catch (const Exception& e) {
            HandleFrameworkException(e);
        }
    }
    return true;
}

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HostMessage(window, message, wParam)) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace lumo
