#include "tests/ipc/NotificationWindow.h"

namespace tvtest {
namespace {

const char kClassName[] = "TvTestNotificationWindow";

} // namespace

NotificationWindow::NotificationWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &NotificationWindow::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), this);
}

NotificationWindow::~NotificationWindow()
{
    if (m_window) {
        DestroyWindow(m_window);
    }
}

LRESULT CALLBACK NotificationWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotificationWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_USER && message < 0xC000) {
        self->m_messages.push_back({message, wParam, lParam});
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const std::vector<PostedMessage>& NotificationWindow::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return m_messages;
}

bool NotificationWindow::WaitFor(size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (Pump().size() < count) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

const std::vector<PostedMessage>& NotificationWindow::Settle(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return Pump();
}

} // namespace tvtest
