#include "tests/support/Watchdog.h"

#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tvtest {
namespace {

// What the watching thread reads. Never freed: GoogleTest deletes its listeners at exit while
// the thread still waits, and the thread ends only with the process.
struct WatchState
{
    DWORD limitMs = 0;
    HANDLE wake = nullptr;
    CRITICAL_SECTION lock;
    std::string name;
    DWORD start = 0;
    bool armed = false;
};

void Fire(const WatchState& state, const std::string& name)
{
    std::fprintf(stderr,
                 "\n[ WATCHDOG ] %s still runs after %lu s: it waits on something that never "
                 "answers. Ending the test program and the processes it started.\n",
                 name.c_str(), static_cast<unsigned long>(state.limitMs / 1000));
    std::string step = ProcessStepUnderWay();
    if (!step.empty()) {
        std::fprintf(stderr, "[ WATCHDOG ] under way: %s\n", step.c_str());
    }
    std::fflush(stderr);
    std::fflush(stdout);
    // Not ExitProcess: a hung thread may hold the loader lock or the runtime's locks. The job of
    // the started processes closes with this process and ends them.
    TerminateProcess(GetCurrentProcess(), 3);
}

DWORD WINAPI Watch(void* context)
{
    auto* state = static_cast<WatchState*>(context);
    for (;;) {
        WaitForSingleObject(state->wake, 1000);
        EnterCriticalSection(&state->lock);
        bool overdue = state->armed && GetTickCount() - state->start >= state->limitMs;
        std::string name = state->name;
        LeaveCriticalSection(&state->lock);
        if (overdue) {
            Fire(*state, name);
        }
    }
}

class Watchdog : public testing::EmptyTestEventListener
{
public:
    explicit Watchdog(WatchState* state) : m_state(state) {}

    void OnTestStart(const testing::TestInfo& test) override
    {
        EnterCriticalSection(&m_state->lock);
        m_state->name = std::string(test.test_suite_name()) + "." + test.name();
        m_state->start = GetTickCount();
        m_state->armed = true;
        LeaveCriticalSection(&m_state->lock);
        SetEvent(m_state->wake);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        EnterCriticalSection(&m_state->lock);
        m_state->armed = false;
        LeaveCriticalSection(&m_state->lock);
    }

private:
    WatchState* m_state;
};

} // namespace

DWORD TestLimitMs()
{
    const char* text = std::getenv("TV_TEST_LIMIT_S");
    if (text && *text) {
        char* end = nullptr;
        unsigned long seconds = std::strtoul(text, &end, 10);
        if (end && *end == '\0' && seconds <= 24 * 3600) {
            return static_cast<DWORD>(seconds * 1000);
        }
    }
    return kDefaultTestLimitS * 1000;
}

void InstallTestWatchdog(DWORD limitMs)
{
    if (limitMs == 0) {
        return;
    }
    auto* state = new WatchState;
    state->limitMs = limitMs;
    state->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    InitializeCriticalSection(&state->lock);
    HANDLE thread = CreateThread(nullptr, 0, &Watch, state, 0, nullptr);
    if (!thread) {
        std::fprintf(stderr, "the test watchdog cannot start, GetLastError %lu\n",
                     static_cast<unsigned long>(GetLastError()));
        return;
    }
    CloseHandle(thread);
    testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(state));
}

} // namespace tvtest
