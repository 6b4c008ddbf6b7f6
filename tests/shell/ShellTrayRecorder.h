#pragma once
// A stand-in for the shell's notification area: a window of class "Shell_TrayWnd", on a thread
// of its own, that Shell_NotifyIcon finds before the shell's own and that records every request
// (Wine hands them over as WM_COPYDATA with the NIM_ code as dwData and the icon's data, texts as
// UTF-16). It can refuse the first NIM_ADD requests.
#include <windows.h>
#include <shellapi.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvtest {

class ShellTrayRecorder
{
public:
    struct Request
    {
        DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION
        HWND window = nullptr;
        UINT id = 0;
        UINT flags = 0;
        UINT callbackMessage = 0;
        std::vector<BYTE> data;

        // The data holds text (ASCII) in UTF-16; whole: as a string of its own (with its end).
        bool Holds(const std::string& text, bool whole = true) const;
    };

    explicit ShellTrayRecorder(int refusedAdds = 0);
    ~ShellTrayRecorder();
    ShellTrayRecorder(const ShellTrayRecorder&) = delete;
    ShellTrayRecorder& operator=(const ShellTrayRecorder&) = delete;

    bool Ready() const { return m_window != nullptr; }
    std::vector<Request> Requests() const;
    size_t Count(DWORD message) const;
    // Polls until count requests of that kind arrived.
    bool WaitFor(DWORD message, size_t count, DWORD timeoutMs) const;
    void Clear();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE ready);

    mutable std::mutex m_lock;
    std::vector<Request> m_requests;
    int m_refusedAdds;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

} // namespace tvtest
