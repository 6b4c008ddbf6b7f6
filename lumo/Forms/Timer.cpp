#include "lumo/Forms/Timer.h"

#include "lumo/Forms/Application.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WindowClass.h"

namespace lumo {
namespace {

constexpr char kWindowClass[] = "TTimerWindow";
constexpr UINT_PTR kTimerId = 1;

} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    WNDCLASSEXA windowClass = {};
    windowClass.lpfnWndProc = &TTimer::WindowProc;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.lpszClassName = kWindowClass;
    RegisterWindowClass("TTimer", windowClass);
    m_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), this);
    if (!m_window) {
        TraceLog("[TTimer] CreateWindowEx failed! GetLastError returned %lu", GetLastError());
    }
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (m_window) {
        if (m_running) {
            KillTimer(m_window, kTimerId);
        }
        DestroyWindow(m_window);
    }
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
        KillTimer(m_window, kTimerId);
        m_running = false;
    }
    if (m_enabled && m_interval > 0) {
        m_running = SetTimer(m_window, kTimerId, m_interval, nullptr) != 0;
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

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, 0));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, 0, 0);
        if (timer) {
            timer->m_window = nullptr;
            timer->m_running = false;
        }
    }
    if (message == WM_TIMER && wParam == kTimerId && timer) {
        try {
            timer->Tick();
        } catch (const Exception& e) {
            HandleFrameworkException(e);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace lumo
