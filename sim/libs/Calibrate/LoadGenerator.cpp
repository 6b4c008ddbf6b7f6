#include "LoadGenerator.h"

#include "LoadKernels.h"

#include <cstdio>

namespace calibrate {
namespace {

std::atomic<unsigned> g_workSink{0};

void Trace(const char* what)
{
    char line[160];
    std::snprintf(line, sizeof line, "[LoadGenerator] %s failed! GetLastError returned %lu\r\n",
                  what, GetLastError());
    OutputDebugStringA(line);
}

// This library's module; with pin, one more reference that keeps it loaded while a worker
// runs in it.
HMODULE ThisLibrary(bool pin)
{
    DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
    if (!pin) {
        flags |= GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    }
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&ThisLibrary), &module)) {
        Trace("GetModuleHandleExW");
        return nullptr;
    }
    return module;
}

} // namespace

LoadGenerator& LoadGenerator::Instance()
{
    static LoadGenerator* generator = new LoadGenerator;
    return *generator;
}

DWORD WINAPI LoadGenerator::WorkerMain(void* context)
{
    const Run* run = static_cast<const Run*>(context);
    if (run->kind == LoadKind::PrimeSearch) {
        g_workSink += SearchPrimes(run->stop);
    } else {
        g_workSink += static_cast<unsigned>(BurnFloatingPoint(run->stop));
    }
    // Drops the reference taken for this worker: a host that unloaded the library during the
    // load has not pulled the code from under a running thread.
    FreeLibraryAndExitThread(ThisLibrary(false), 0);
}

bool LoadGenerator::Start(LoadKind kind, int threads)
{
    if (threads < 1) {
        return false;
    }
    if (threads > kMaxLoadThreads) {
        threads = kMaxLoadThreads;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    StopLocked();
    m_run = new Run;
    m_run->kind = kind;
    for (int i = 0; i < threads; ++i) {
        HMODULE pin = ThisLibrary(true);
        HANDLE thread =
            pin ? CreateThread(nullptr, 0, &LoadGenerator::WorkerMain, m_run, 0, nullptr) : nullptr;
        if (!thread) {
            if (pin) {
                Trace("CreateThread");
                FreeLibrary(pin);
            }
            StopLocked();
            return false;
        }
        m_threads.push_back(thread);
    }
    return true;
}

bool LoadGenerator::Stop()
{
    std::lock_guard<std::mutex> lock(m_lock);
    StopLocked();
    return true;
}

void LoadGenerator::StopLocked()
{
    if (!m_run) {
        return;
    }
    m_run->stop = true;
    for (HANDLE thread : m_threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    m_threads.clear();
    delete m_run;
    m_run = nullptr;
}

} // namespace calibrate
