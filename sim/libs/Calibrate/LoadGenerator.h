#pragma once
// The process's CPU load: a set of worker threads of one kind, started and stopped as a whole.
#include <windows.h>
#include <atomic>
#include <mutex>
#include <vector>

namespace calibrate {

enum class LoadKind
{
    PrimeSearch,
    FloatingPointBurn,
};

// More threads than this add nothing but scheduling work.
constexpr int kMaxLoadThreads = 64;

class LoadGenerator
{
public:
    // The process-wide generator; never destroyed, so that nothing waits at unload.
    static LoadGenerator& Instance();

    // Replaces a running load. False (and no load) for a count below 1 or when threads cannot
    // be created.
    bool Start(LoadKind kind, int threads);
    // Ends the load and joins its threads; true also when none ran.
    bool Stop();

private:
    struct Run
    {
        LoadKind kind;
        std::atomic<bool> stop{false};
    };

    LoadGenerator() = default;
    static DWORD WINAPI WorkerMain(void* context);
    void StopLocked();

    std::mutex m_lock;
    Run* m_run = nullptr;
    std::vector<HANDLE> m_threads;
};

} // namespace calibrate
