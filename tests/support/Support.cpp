#include "tests/support/Support.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <tlhelp32.h>

#include <algorithm>
#include <mutex>
#include <cstdio>

namespace tvtest {

void ResetProgramRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\KALDO");
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                      0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Tetravolt Install");
        RegCloseKey(key);
    }
}

RawValue ReadRaw(const char* path, const char* name, REGSAM view)
{
    RawValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) ==
            ERROR_SUCCESS) {
            value.data.resize(size);
            value.exists = true;
        }
    }
    RegCloseKey(key);
    return value;
}

bool WriteRaw(const char* path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool WriteRawDword(const char* path, const char* name, DWORD value)
{
    return WriteRaw(path, name, REG_DWORD, &value, sizeof value);
}

bool WriteRawString(const char* path, const char* name, DWORD type, const std::string& text)
{
    return WriteRaw(path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool DeleteRaw(const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = RegDeleteValueA(key, name) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool KeyExists(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

DWORD ReadRawDword(const char* path, const char* name, DWORD fallback)
{
    RawValue value = ReadRaw(path, name);
    if (!value.exists || value.type != REG_DWORD || value.data.size() != sizeof(DWORD)) {
        return fallback;
    }
    DWORD result;
    std::copy(value.data.begin(), value.data.end(), reinterpret_cast<unsigned char*>(&result));
    return result;
}

namespace {

int UnexpectedBox(void*, HWND, const char* text, const char* caption, UINT)
{
    ADD_FAILURE() << "unexpected message box \"" << (caption ? caption : "")
                  << "\": " << (text ? text : "");
    return IDCANCEL;
}

} // namespace

void InstallMessageBoxGuard()
{
    lumo::SetMessageBoxHook(&UnexpectedBox, nullptr);
}

MessageBoxRecorder::MessageBoxRecorder(int answer) : m_answer(answer)
{
    lumo::SetMessageBoxHook(&MessageBoxRecorder::Record, this);
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    InstallMessageBoxGuard();
}

std::vector<RecordedBox> MessageBoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_boxes;
}

int MessageBoxRecorder::Record(void* context, HWND owner, const char* text, const char* caption,
                               UINT type)
{
    auto* self = static_cast<MessageBoxRecorder*>(context);
    std::lock_guard<std::mutex> lock(self->m_lock);
    self->m_boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return self->m_answer;
}

TraceCapture::TraceCapture()
{
    lumo::SetTraceSink(&TraceCapture::Record, this);
}

TraceCapture::~TraceCapture()
{
    lumo::SetTraceSink(nullptr, nullptr);
}

void TraceCapture::Record(void* context, const char* line)
{
    auto* self = static_cast<TraceCapture*>(context);
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    std::lock_guard<std::mutex> lock(self->m_lock);
    self->m_lines.push_back(std::move(text));
}

std::vector<std::string> TraceCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

bool TraceCapture::Contains(const std::string& fragment) const
{
    return Count(fragment) > 0;
}

size_t TraceCapture::Count(const std::string& fragment) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return std::count_if(m_lines.begin(), m_lines.end(), [&](const std::string& line) {
        return line.find(fragment) != std::string::npos;
    });
}

void TraceCapture::Clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_lines.clear();
}

std::string StageDir()
{
    return lumo::ProgramDirectory();
}

namespace {

// The latest process step begun (start, wait, end of a started program) while it is under way.
struct StepRecord
{
    std::mutex lock;
    std::string text;
    DWORD start = 0;
    bool underWay = false;
};

StepRecord& Steps()
{
    // Never destroyed: the watchdog may read it while the program exits.
    static StepRecord* steps = new StepRecord;
    return *steps;
}

class StepNote
{
public:
    explicit StepNote(std::string text)
    {
        StepRecord& steps = Steps();
        std::lock_guard<std::mutex> lock(steps.lock);
        steps.text = std::move(text);
        steps.start = GetTickCount();
        steps.underWay = true;
    }
    ~StepNote()
    {
        StepRecord& steps = Steps();
        std::lock_guard<std::mutex> lock(steps.lock);
        steps.underWay = false;
    }
    StepNote(const StepNote&) = delete;
    StepNote& operator=(const StepNote&) = delete;
};

// The job of every process a test starts: closing it (the test program ends, however it ends,
// also killed by CTest) ends them all, so that no peer outlives its test program and disturbs
// the next one.
HANDLE StartedProcessesJob()
{
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created && !SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                                sizeof limits)) {
            CloseHandle(created);
            created = nullptr;
        }
        if (!created) {
            std::fprintf(stderr, "no job for the started processes, GetLastError %lu\n",
                         static_cast<unsigned long>(GetLastError()));
        }
        return created;
    }();
    return job;
}

} // namespace

std::string ProcessStepUnderWay()
{
    StepRecord& steps = Steps();
    std::lock_guard<std::mutex> lock(steps.lock);
    if (!steps.underWay) {
        return std::string();
    }
    return steps.text + " (for " + std::to_string((GetTickCount() - steps.start) / 1000) + " s)";
}

bool StartInTestJob(const char* application, char* commandLine, BOOL inheritHandles, DWORD flags,
                    const char* directory, STARTUPINFOA& startup, PROCESS_INFORMATION& info)
{
    StepNote note(std::string("starting ") + commandLine);
    HANDLE job = StartedProcessesJob();
    BOOL created = FALSE;
    // Wine's process creation now and then fails as a whole under load (ERROR_INTERNAL_ERROR,
    // seen once with both targets' tests at once): nothing of the program has run, so the start
    // is tried again; every other failure stands.
    for (int attempt = 0; attempt < 3 && !created; ++attempt) {
        created = CreateProcessA(application, commandLine, nullptr, nullptr, inheritHandles,
                                 flags | (job ? CREATE_SUSPENDED : 0), nullptr, directory,
                                 &startup, &info);
        if (created || GetLastError() != ERROR_INTERNAL_ERROR) {
            break;
        }
        std::fprintf(stderr, "starting %s failed inside the system (ERROR_INTERNAL_ERROR): again\n",
                     application ? application : commandLine);
    }
    if (!created) {
        DWORD error = GetLastError();
        std::fprintf(stderr, "cannot start %s, GetLastError %lu\n",
                     application ? application : commandLine, static_cast<unsigned long>(error));
        SetLastError(error);
        return false;
    }
    if (job) {
        // Assigned before it runs, so that whatever it starts belongs to the job as well.
        if (!AssignProcessToJobObject(job, info.hProcess)) {
            std::fprintf(stderr, "cannot put %s in the job, GetLastError %lu\n",
                         application ? application : commandLine,
                         static_cast<unsigned long>(GetLastError()));
        }
        if (!(flags & CREATE_SUSPENDED)) {
            ResumeThread(info.hThread);
        }
    }
    return true;
}

Process::~Process()
{
    Kill();
}

Process::Process(Process&& other) noexcept : m_process(other.m_process), m_id(other.m_id)
{
    other.m_process = nullptr;
    other.m_id = 0;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        m_process = other.m_process;
        m_id = other.m_id;
        other.m_process = nullptr;
        other.m_id = 0;
    }
    return *this;
}

bool Process::Start(const std::string& program, const std::string& arguments)
{
    Kill();
    std::string path = StageDir() + program;
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!StartInTestJob(path.c_str(), mutableLine.data(), FALSE, 0, StageDir().c_str(), startup,
                        info)) {
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

long Process::Wait(DWORD timeoutMs)
{
    StepNote note("waiting for process " + std::to_string(m_id));
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return static_cast<long>(code);
}

bool Process::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void Process::Kill()
{
    if (!m_process) {
        return;
    }
    if (Running()) {
        StepNote note("ending process " + std::to_string(m_id));
        TerminateProcess(m_process, 259);
        WaitForSingleObject(m_process, 5000);
    }
    CloseHandle(m_process);
    m_process = nullptr;
    m_id = 0;
}

long RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs)
{
    Process process;
    if (!process.Start(program, arguments)) {
        return -2;
    }
    return process.Wait(timeoutMs);
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) {
        DWORD error = GetLastError();
        if (error == ERROR_TIMEOUT) {
            ADD_FAILURE() << "message " << message << " not answered within " << timeoutMs << " ms";
        }
        return 0;
    }
    return static_cast<LRESULT>(result);
}

bool HasModule(DWORD processId, const char* moduleName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "no module list of process " << processId << " (error " << GetLastError()
                      << ")";
        return false;
    }
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &entry); more && !found;
         more = Module32Next(snapshot, &entry)) {
        found = lstrcmpiA(entry.szModule, moduleName) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowA(className, title)) != nullptr; }, timeoutMs);
    return window;
}

} // namespace tvtest
