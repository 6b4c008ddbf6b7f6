#pragma once
// Test side of peerwin.exe: starts a window of a given class and title in its own process (the
// peerwin.exe beside the running program, so of the test's bitness) and reads the messages at or
// above WM_USER that the window received, in order.
#include "sim/board/Stamp.h"

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace simpeer {

// Stamped with the simulated board's counter and clock when the window got it (Stamp.h).
struct PeerMessage : simboard::Stamp
{
    UINT message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

class PeerWindow
{
public:
    PeerWindow() = default;
    // Stops the peer if it still runs.
    ~PeerWindow();
    PeerWindow(const PeerWindow&) = delete;
    PeerWindow& operator=(const PeerWindow&) = delete;

    // Starts the peer and waits until its window exists (and is shown, when visible). `reply` is
    // what every recorded message returns to a sender. The peer also ends when this process ends.
    bool Start(const std::string& className, const std::string& title, bool visible = true,
               intptr_t reply = 0, DWORD timeoutMs = 10000);
    bool Running() const;
    HWND Window() const { return m_window; }
    DWORD ProcessId() const { return m_processId; }

    // Messages received since the start or the last ClearMessages, oldest first. A message sent
    // with SendMessage is recorded before SendMessage returns; a posted one may take a moment.
    std::vector<PeerMessage> Messages() const;
    bool WaitForMessages(size_t count, DWORD timeoutMs) const;
    void ClearMessages();

    // WM_CLOSE, then waits for the process; kills it when it does not end within timeoutMs.
    // The exit code, or -1 when it had to be killed or never ran.
    long Stop(DWORD timeoutMs = 5000);

private:
    std::vector<PeerMessage> ReadLog() const;

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    HWND m_window = nullptr;
    std::string m_log;
    size_t m_skipped = 0;
};

} // namespace simpeer
