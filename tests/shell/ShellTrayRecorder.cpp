#include "tests/shell/ShellTrayRecorder.h"

#include <cstring>

namespace tvtest {
namespace {

constexpr char kClass[] = "Shell_TrayWnd";

} // namespace

bool ShellTrayRecorder::Request::Holds(const std::string& text, bool whole) const
{
    std::vector<BYTE> wide;
    for (char c : text) {
        wide.push_back(static_cast<BYTE>(c));
        wide.push_back(0);
    }
    if (whole) {
        wide.push_back(0);
        wide.push_back(0);
    }
    for (size_t at = 0; at + wide.size() <= data.size(); at += 2) {
        if (std::memcmp(&data[at], wide.data(), wide.size()) == 0) {
            return true;
        }
    }
    return false;
}

ShellTrayRecorder::ShellTrayRecorder(int refusedAdds) : m_refusedAdds(refusedAdds)
{
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, ready] { Run(ready); });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
}

ShellTrayRecorder::~ShellTrayRecorder()
{
    if (m_threadId) {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ShellTrayRecorder::Run(HANDLE ready)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ShellTrayRecorder::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    // Topmost, so that the search for the notification area meets this window first.
    m_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, 0, 0, 1, 1,
                               nullptr, nullptr, GetModuleHandleA(nullptr), this);
    m_threadId = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(ready);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    if (m_window) {
        DestroyWindow(m_window);
    }
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
}

LRESULT CALLBACK ShellTrayRecorder::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ShellTrayRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || !self) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    Request request;
    request.message = static_cast<DWORD>(copy->dwData);
    if (copy->lpData && copy->cbData >= 16) {
        const auto* bytes = static_cast<const BYTE*>(copy->lpData);
        request.data.assign(bytes, bytes + copy->cbData);
        LONG handle;
        std::memcpy(&handle, bytes, 4);
        request.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
        std::memcpy(&request.id, bytes + 4, 4);
        std::memcpy(&request.flags, bytes + 8, 4);
        std::memcpy(&request.callbackMessage, bytes + 12, 4);
    }
    std::lock_guard<std::mutex> guard(self->m_lock);
    self->m_requests.push_back(request);
    if (request.message == NIM_ADD && self->m_refusedAdds > 0) {
        --self->m_refusedAdds;
        return FALSE;
    }
    return TRUE;
}

std::vector<ShellTrayRecorder::Request> ShellTrayRecorder::Requests() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

size_t ShellTrayRecorder::Count(DWORD message) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t count = 0;
    for (const Request& request : m_requests) {
        count += request.message == message ? 1 : 0;
    }
    return count;
}

bool ShellTrayRecorder::WaitFor(DWORD message, size_t count, DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    while (Count(message) < count) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

void ShellTrayRecorder::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_requests.clear();
}

} // namespace tvtest
