#include "drvsetup/HiddenProcess.h"

#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"

#include <windows.h>
#include <vector>

namespace drvsetup {

bool StartHiddenAndWait(const std::wstring& application, const std::wstring& commandLine)
{
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        TraceLog("[StartHiddenAndWait] CreateProcessW(%ls) failed! GetLastError returned %lu",
                 application.c_str(), GetLastError());
        return false;
    }
    lumo::KernelHandle thread(info.hThread);
    lumo::KernelHandle process(info.hProcess);
    WaitForSingleObject(process.Get(), INFINITE);
    return true;
}

} // namespace drvsetup
