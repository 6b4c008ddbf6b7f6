#pragma once
// What a long run of another process is judged by: private memory, handles, threads, the
// library's live GDI objects (asked of the program's main window) and CPU time. Windows reports
// memory and CPU time of another process; under Wine they come from the Linux process behind it
// (/proc through drive Z:).
#include <windows.h>

#include <string>

namespace soak {

struct Figures
{
    double privateKb = -1;
    long handles = -1;
    long threads = -1;
    long gdiObjects = -1;
    double cpuMs = -1;
};

class Probe
{
public:
    // process: a handle with query rights; program: the full path it was started from.
    Probe(HANDLE process, DWORD processId, const std::string& program);

    Figures Measure(HWND mainWindow) const;
    // "Linux /proc" or "Windows".
    const char* Source() const { return m_linuxPid.empty() ? "Windows" : "Linux /proc"; }

private:
    HANDLE m_process;
    DWORD m_processId;
    std::string m_linuxPid;
};

} // namespace soak
