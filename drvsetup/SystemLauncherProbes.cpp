#include "drvsetup/SystemLauncherProbes.h"

#include "drvsetup/HiddenProcess.h"
#include "lumo/System/Source/TraceLog.h"

#include <cpuid.h>
#include <cstring>

namespace drvsetup {
namespace {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");
static_assert(sizeof(OSVERSIONINFOW) == 276, "plain version record");

bool ReadIntelVendor()
{
    unsigned int eax = 0;
    unsigned int ebx = 0;
    unsigned int ecx = 0;
    unsigned int edx = 0;
    __cpuid(0, eax, ebx, ecx, edx);
    // The first eight characters of "GenuineIntel"; ECX is not needed to tell.
    return std::memcmp(&ebx, "Genu", 4) == 0 && std::memcmp(&edx, "ineI", 4) == 0;
}

} // namespace

bool SystemLauncherProbes::IsIntelProcessor()
{
    static const bool intel = ReadIntelVendor();
    return intel;
}

bool SystemLauncherProbes::ReadWindowsVersion(DWORD& major, DWORD& minor)
{
    OSVERSIONINFOEXW extended = {};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
        major = extended.dwMajorVersion;
        minor = extended.dwMinorVersion;
        return true;
    }
    OSVERSIONINFOW plain = {};
    plain.dwOSVersionInfoSize = sizeof plain;
    if (GetVersionExW(&plain)) {
        major = plain.dwMajorVersion;
        minor = plain.dwMinorVersion;
        return true;
    }
    TraceLog("[KdCheckOS_DrvSetup] GetVersionExW failed! GetLastError returned %lu",
             GetLastError());
    return false;
}

WORD SystemLauncherProbes::NativeArchitecture()
{
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    SYSTEM_INFO info = {};
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto native = kernel ? reinterpret_cast<NativeInfoFn>(reinterpret_cast<void*>(
                               GetProcAddress(kernel, "GetNativeSystemInfo")))
                         : nullptr;
    if (native) {
        native(&info);
    } else {
        GetSystemInfo(&info);
    }
    return info.wProcessorArchitecture;
}

bool SystemLauncherProbes::StartHiddenAndWait(const std::wstring& application,
                                              const std::wstring& commandLine)
{
    return drvsetup::StartHiddenAndWait(application, commandLine);
}

void SystemLauncherProbes::DebugText(const wchar_t* text)
{
    OutputDebugStringW(text);
}

} // namespace drvsetup
