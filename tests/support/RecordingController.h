#pragma once
// A main controller for tests: registered for its lifetime, it answers the pending start-up mode
// as configured and records every call in order, with the thread it arrived on. Header only: a
// test program that uses it links the shell.
#include "shell/base/ControllerLink.h"

#include <windows.h>
#include <mutex>
#include <string>
#include <vector>

namespace tvtest {

class RecordingController : public tv::ControllerLink
{
public:
    RecordingController() { tv::RegisterControllerLink(this); }
    ~RecordingController() override { tv::RegisterControllerLink(nullptr); }
    RecordingController(const RecordingController&) = delete;
    RecordingController& operator=(const RecordingController&) = delete;

    // A start-up mode waiting for InitGearModeTimer (none while pending is false).
    void SetPendingStartupMode(bool pending, int mode = 0)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_pending = pending;
        m_pendingMode = mode;
    }

    // "energy timer on", "energy timer off", "tray", "auto state", "card button saves",
    // "card button none", "view", in the order they came.
    std::vector<std::string> Events() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_events;
    }
    size_t Count(const std::string& event) const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        size_t count = 0;
        for (const std::string& seen : m_events) {
            count += seen == event ? 1 : 0;
        }
        return count;
    }
    // The threads the calls arrived on.
    std::vector<DWORD> Threads() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_threads;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.clear();
        m_threads.clear();
    }

    bool PendingStartupMode(int& mode) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_pending) {
            mode = m_pendingMode;
        }
        return m_pending;
    }
    void SetEnergyTimerEnabled(bool enabled) override
    {
        Record(enabled ? "energy timer on" : "energy timer off");
    }
    void RefreshTray() override { Record("tray"); }
    void RefreshAutoState() override { Record("auto state"); }
    void RefreshCardButton(bool cardSavesInAnyMode) override
    {
        Record(cardSavesInAnyMode ? "card button saves" : "card button none");
    }
    void RefreshView() override { Record("view"); }

private:
    void Record(const char* event)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.push_back(event);
        m_threads.push_back(GetCurrentThreadId());
    }

    mutable std::mutex m_lock;
    bool m_pending = false;
    int m_pendingMode = 0;
    std::vector<std::string> m_events;
    std::vector<DWORD> m_threads;
};

} // namespace tvtest
