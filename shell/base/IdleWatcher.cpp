#include "shell/base/IdleWatcher.h"

namespace tv {

IdleWatcher::IdleWatcher() : m_state{GetTickCount(), kInitialThresholdMs, false, false} {}

IdleWatcher& IdleWatcher::Instance()
{
    static IdleWatcher* const instance = new IdleWatcher;
    return *instance;
}

IdleWatcher::State IdleWatcher::Snapshot() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_state;
}

void IdleWatcher::Restart(DWORD thresholdMs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_state.lastInputTick = GetTickCount();
    m_state.thresholdMs = thresholdMs;
    m_state.enabled = true;
    m_state.reported = false;
}

void IdleWatcher::Disable()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_state.enabled = false;
}

bool IdleWatcher::Check(DWORD now, DWORD lastInputTick)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_state.enabled) {
        return false;
    }
    // Ticks wrap after 49 days: "not older" is a non-negative difference.
    if (static_cast<LONG>(lastInputTick - m_state.lastInputTick) >= 0) {
        m_state.lastInputTick = lastInputTick;
    }
    if (now - m_state.lastInputTick > m_state.thresholdMs) {
        if (m_state.reported) {
            return false;
        }
        m_state.reported = true;
        return true;
    }
    m_state.reported = false;
    return false;
}

} // namespace tv
