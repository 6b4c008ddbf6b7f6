#include "sim/peers/peerwin/PeerWindow.h"

#include <cstdio>

namespace simpeer {

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, length < MAX_PATH ? length : 0);
    return file.substr(0, file.find_last_of('\\') + 1);
}

std::string NewLogPath()
{
    static LONG counter = 0;
    char folder[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, folder);
    char name[64];
    std::snprintf(name, sizeof name, "peerwin-%lu-%ld.log", GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    return std::string(folder) + name;
}

struct Search
{
    DWORD processId;
    const std::string* className;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) {
        return TRUE;
    }
    char className[256] = {};
    char title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (*search->className == className && *search->title == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// One argument as the C runtime splits command lines: backslashes before a quote (or the end) are
// doubled, quotes escaped.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
        } else {
            if (c == '"') {
                quoted.append(backslashes + 1, '\\');
            }
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

} // namespace

PeerWindow::~PeerWindow()
{
    Stop();
}

bool PeerWindow::Start(const std::string& className, const std::string& title, bool visible,
                       intptr_t reply, DWORD timeoutMs)
{
    Stop();
    m_log = NewLogPath();
    DeleteFileA(m_log.c_str());
    std::string program = ProgramFolder() + "peerwin.exe";
    char arguments[128];
    std::snprintf(arguments, sizeof arguments, " --reply %lld --parent %lu",
                  static_cast<long long>(reply), GetCurrentProcessId());
    std::string commandLine = Quoted(program) + " --class " + Quoted(className) + " --title " +
                              Quoted(title) + " --log " + Quoted(m_log) + arguments +
                              (visible ? "" : " --hidden");
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {m_processId, &className, &title, nullptr};
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        // The peer shows its window only after creating it: a visible one counts once shown.
        if (search.found && (!visible || IsWindowVisible(search.found))) {
            m_window = search.found;
            return true;
        }
        if (!Running() || GetTickCount() - start >= timeoutMs) {
            Stop();
            return false;
        }
        Sleep(20);
    }
}

bool PeerWindow::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

std::vector<PeerMessage> PeerWindow::ReadLog() const
{
    std::vector<PeerMessage> messages;
    if (m_log.empty()) {
        return messages;
    }
    HANDLE file = CreateFileA(m_log.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return messages;
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        PeerMessage message;
        unsigned long long wParam = 0;
        long long lParam = 0;
        unsigned sequence = 0;
        unsigned long long ms = 0;
        if (std::sscanf(text.c_str() + begin, "%u %llu %lld %u %llu", &message.message, &wParam,
                        &lParam, &sequence, &ms) >= 3) {
            message.wParam = wParam;
            message.lParam = lParam;
            message.sequence = sequence;
            message.ms = ms;
            messages.push_back(message);
        }
    }
    return messages;
}

std::vector<PeerMessage> PeerWindow::Messages() const
{
    std::vector<PeerMessage> all = ReadLog();
    if (m_skipped >= all.size()) {
        return {};
    }
    return std::vector<PeerMessage>(all.begin() + static_cast<std::ptrdiff_t>(m_skipped),
                                    all.end());
}

bool PeerWindow::WaitForMessages(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;) {
        if (Messages().size() >= count) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
}

void PeerWindow::ClearMessages()
{
    m_skipped = ReadLog().size();
}

long PeerWindow::Stop(DWORD timeoutMs)
{
    long code = -1;
    if (m_process) {
        if (m_window && IsWindow(m_window)) {
            PostMessageA(m_window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            GetExitCodeProcess(m_process, &exitCode);
            code = static_cast<long>(exitCode);
        } else {
            TerminateProcess(m_process, 259);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
    if (!m_log.empty()) {
        DeleteFileA(m_log.c_str());
    }
    m_process = nullptr;
    m_processId = 0;
    m_window = nullptr;
    m_log.clear();
    m_skipped = 0;
    return code;
}

} // namespace simpeer
