#pragma once
// The launcher's decision: from the processor vendor, the Windows version and the native
// architecture, which setup program to run from the package folder, and the result code.
#include <windows.h>
#include <string>

namespace drvsetup {

// Result codes of KdCheckOS_DrvSetup.
enum LaunchResult : int
{
    kIntelProcessor = -1, // nothing done
    kNotWindowsXp = 0,    // version unreadable or not 5.x: nothing done
    kDone = 1,            // Windows 2000 (nothing done) or the setup program ran
    kStartFailed = -5,    // the setup program could not be started (or its path not built)
};

// Everything the launcher asks of the machine.
class LauncherProbes
{
public:
    virtual ~LauncherProbes() = default;
    virtual bool IsIntelProcessor() = 0;
    // False when the version cannot be read.
    virtual bool ReadWindowsVersion(DWORD& major, DWORD& minor) = 0;
    // wProcessorArchitecture of the machine (not of the calling process).
    virtual WORD NativeArchitecture() = 0;
    virtual bool StartHiddenAndWait(const std::wstring& application,
                                    const std::wstring& commandLine) = 0;
    virtual void DebugText(const wchar_t* text) = 0;
};

// Path buffer of the launcher, in characters with the terminating NUL.
constexpr size_t kLauncherPathChars = 260;

// folder may be null or empty (then the setup program is looked up without a folder).
int RunLauncher(const char* folder, LauncherProbes& probes);

} // namespace drvsetup
