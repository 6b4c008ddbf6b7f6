#include "power/WindowsVersion.h"

#include "lumo/System/Source/TraceLog.h"

#include <windows.h>

namespace tv {

int QueryWindowsMajorVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        TraceLog("[WindowsVersion] GetVersionExA failed! GetLastError returned %lu",
                 GetLastError());
        return -1;
    }
    return static_cast<int>(info.dwMajorVersion);
}

} // namespace tv
