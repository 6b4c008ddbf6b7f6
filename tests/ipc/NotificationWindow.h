#pragma once
// A message-only window of the test's own thread that records every message at or above
// WM_USER posted to it, as the program's main window receives the board-pipe notifications.
#include <windows.h>
#include <vector>

namespace tvtest {

struct PostedMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class NotificationWindow
{
public:
    NotificationWindow();
    ~NotificationWindow();
    NotificationWindow(const NotificationWindow&) = delete;
    NotificationWindow& operator=(const NotificationWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Dispatches what is queued for this thread, then returns everything recorded so far.
    const std::vector<PostedMessage>& Pump();
    // Pumps until at least count messages are recorded; false on time-out.
    bool WaitFor(size_t count, DWORD timeoutMs);
    // Pumps for a while, so that a message that should not come has had its chance.
    const std::vector<PostedMessage>& Settle(DWORD ms = 300);
    void Clear() { m_messages.clear(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<PostedMessage> m_messages;
};

} // namespace tvtest
