#include "tests/installer/InstallerTools.h"

#include "tests/support/Support.h"

#include <shlobj.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace insttest {

std::string PathFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value) {
        return std::string();
    }
    std::string path(value);
    if (path[0] == '/') {
        // Wine maps the Unix root to drive Z:.
        path = "Z:" + path;
        std::replace(path.begin(), path.end(), '/', '\\');
    }
    return path;
}

std::string ProgramFilesFolder()
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return std::string();
    }
    return path;
}

bool Is64BitWindows()
{
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

REGSAM OtherRegistryView()
{
    if (!Is64BitWindows()) {
        return 0;
    }
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    return KEY_WOW64_64KEY;
#endif
}

Child::~Child()
{
    if (m_process) {
        if (Running()) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
}

bool Child::Start(const std::string& path, const std::string& arguments, const std::string& folder)
{
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string directory = folder.empty() ? path.substr(0, path.find_last_of('\\')) : folder;
    if (!tvtest::StartInTestJob(path.c_str(), line.data(), FALSE, 0, directory.c_str(), startup,
                                info)) {
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

long Child::Wait(DWORD timeoutMs)
{
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return static_cast<long>(code);
}

bool Child::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

namespace {

// Processes whose parent is the given one, opened for waiting; the caller closes them.
std::vector<HANDLE> OpenChildrenOf(DWORD parent)
{
    std::vector<HANDLE> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) {
            continue;
        }
        HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                   entry.th32ProcessID);
        if (child) {
            children.push_back(child);
        }
    }
    CloseHandle(snapshot);
    return children;
}

} // namespace

long RunWithHandOver(const std::string& path, const std::string& arguments, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    auto left = [&] {
        DWORD spent = GetTickCount() - start;
        return spent < timeoutMs ? timeoutMs - spent : 0;
    };
    Child program;
    if (!program.Start(path, arguments)) {
        return -1;
    }
    long code = program.Wait(left());
    if (code < 0) {
        return -1;
    }
    // A copy started just before the program ended is already in the process list.
    for (HANDLE child : OpenChildrenOf(program.Id())) {
        if (WaitForSingleObject(child, left()) == WAIT_OBJECT_0) {
            DWORD childCode = 0;
            GetExitCodeProcess(child, &childCode);
            code = static_cast<long>(childCode);
        } else {
            code = -1;
        }
        CloseHandle(child);
    }
    return code;
}

std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    std::function<void(const std::string&)> walk = [&](const std::string& relative) {
        WIN32_FIND_DATAA found = {};
        HANDLE search = FindFirstFileA((folder + "\\" + relative + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                walk(relative + name + "\\");
            } else {
                files.push_back(relative + name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    };
    walk(std::string());
    std::sort(files.begin(), files.end());
    return files;
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FileVersion VersionOf(const std::string& path)
{
    FileVersion version;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return version;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return version;
    }
    version.present = true;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        char text[64];
        std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                      fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                      fixed->dwFileVersionLS & 0xFFFF);
        version.fixed = text;
    }
    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        return version;
    }
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation[0],
                  translation[1]);
    char* value = nullptr;
    std::string query = std::string(prefix) + "ProductVersion";
    if (VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
        value) {
        version.productVersion = value;
    }
    return version;
}

namespace {

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context)
{
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    char buffer[512] = "";
    GetWindowTextA(child, buffer, sizeof buffer);
    if (lstrcmpiA(className, "Static") == 0 && buffer[0]) {
        *reinterpret_cast<std::string*>(context) = buffer;
    }
    return TRUE;
}

} // namespace

std::string BoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

} // namespace insttest
