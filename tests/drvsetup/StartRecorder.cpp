// Test stand-in for a program that the setup stages start (the AMD installer, a setup program):
// appends how it was started to "<own path>.log", stays a moment so that a caller that does not
// wait for it is caught, and ends with exit code 7 (which callers must not care about).
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

void Append(const std::wstring& log, const std::string& line)
{
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Narrow(const wchar_t* text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

} // namespace

int main()
{
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring log = std::wstring(path) + L".log";

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "\t%lu\t%u\n", startup.dwFlags,
                  static_cast<unsigned>(startup.wShowWindow));
    Append(log, "start\t" + Narrow(GetCommandLineW()) + numbers);
    Sleep(400);
    Append(log, "end\n");
    return 7;
}
