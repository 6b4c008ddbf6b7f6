#pragma once
// The CPU load generator "Calibrate.dll", loaded once by file name from the program's folder.
// A failed load or a missing entry point is shown once when the library is loaded; calls of an
// entry point that is not there are skipped.
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <string>

namespace tv {

class CalibrateLib
{
public:
    // The process-wide library, loaded from the program's folder at the first call. It stays
    // loaded until the process ends.
    static CalibrateLib& Instance();

    // Loads folder + "Calibrate.dll" (folder with its trailing backslash).
    explicit CalibrateLib(const std::string& folder);
    // Stops a load still running, then unloads.
    ~CalibrateLib();
    CalibrateLib(const CalibrateLib&) = delete;
    CalibrateLib& operator=(const CalibrateLib&) = delete;

    bool IsLoaded() const { return static_cast<bool>(m_module); }
    bool HasAllEntries() const { return m_primary && m_burn && m_stop; }
    const std::string& Path() const { return m_path; }

    // Each returns false when the entry point is missing (the call is skipped) or the library
    // reports failure. The start calls load the CPU with that many threads until Stop.
    bool StartWithPrimary(int threads);
    bool StartWithCpuBurn(int threads);
    bool Stop();

    // The processors the system reports (GetSystemInfo).
    static int SystemProcessorCount();
    // Load threads for a machine with that many processors: at least 4.
    static int ThreadCountFor(int processors);
    // ThreadCountFor(SystemProcessorCount()).
    static int ThreadCount();

private:
    using StartFn = int(WINAPI*)(int threads);
    using StopFn = int(WINAPI*)();

    bool Start(StartFn entry, const char* name, int threads);

    std::string m_path;
    lumo::ModuleHandle m_module;
    StartFn m_primary = nullptr;
    StartFn m_burn = nullptr;
    StopFn m_stop = nullptr;
    bool m_loadStarted = false;
};

} // namespace tv
