#pragma once
// Test equipment shared by every suite: a clean state per test, recorders for the program's
// message boxes and trace lines, raw registry access and process helpers.
#include <windows.h>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace tvtest {

// ---- state ---------------------------------------------------------------------------------

// Deletes HKLM\Software\KALDO (in this process's registry view) and the installer's RunOnce
// value, so that a test starts as on a fresh machine.
void ResetProgramRegistry();

// Fixture for tests that touch the program's registry keys.
class CleanRegistryTest : public testing::Test
{
protected:
    void SetUp() override { ResetProgramRegistry(); }
    void TearDown() override { ResetProgramRegistry(); }
};

// ---- raw registry (independent of the code under test) -----------------------------------

struct RawValue
{
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
};

RawValue ReadRaw(const char* path, const char* name, REGSAM view = 0);
bool WriteRaw(const char* path, const char* name, DWORD type, const void* data, DWORD size);
bool WriteRawDword(const char* path, const char* name, DWORD value);
bool WriteRawString(const char* path, const char* name, DWORD type, const std::string& text);
bool DeleteRaw(const char* path, const char* name);
bool KeyExists(const char* path);
// DWORD value or fallback when absent or not a 4-byte REG_DWORD.
DWORD ReadRawDword(const char* path, const char* name, DWORD fallback);

// ---- recorders ------------------------------------------------------------------------------

struct RecordedBox
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// The default of every test program: a message box the test did not expect fails the test and
// is answered IDCANCEL instead of blocking the run.
void InstallMessageBoxGuard();

// Replaces the program's message boxes for its lifetime; each box is recorded and answered.
class MessageBoxRecorder
{
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<RecordedBox> Boxes() const;

private:
    static int Record(void* context, HWND owner, const char* text, const char* caption, UINT type);

    int m_answer;
    mutable std::mutex m_lock;
    std::vector<RecordedBox> m_boxes;
};

// Collects every TraceLog line (without its CR LF) for its lifetime.
class TraceCapture
{
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(const std::string& fragment) const;
    size_t Count(const std::string& fragment) const;
    void Clear();

private:
    static void Record(void* context, const char* line);

    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
};

// ---- processes and windows ------------------------------------------------------------------

// The stage folder (where the test program runs), with its trailing backslash.
std::string StageDir();

// CreateProcessA for tests: the new process joins the job of the test program's children, which
// ends them all when the test program ends, however it ends. A failure is told on stderr with
// GetLastError (kept for the caller).
bool StartInTestJob(const char* application, char* commandLine, BOOL inheritHandles, DWORD flags,
                    const char* directory, STARTUPINFOA& startup, PROCESS_INFORMATION& info);

// The process step (start, wait or end of a started program) under way, with its duration, or
// empty: what the watchdog tells about a hung test.
std::string ProcessStepUnderWay();

// A started process, killed on destruction if still running.
class Process
{
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts StageDir() + program with the command line arguments.
    bool Start(const std::string& program, const std::string& arguments = std::string());
    // Exit code, or -1 when the process did not end within timeoutMs.
    long Wait(DWORD timeoutMs);
    bool Running() const;
    void Kill();
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// Runs a program from the stage to its end; returns its exit code, -1 on time-out.
long RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs);

// SendMessageA to another process's window, bounded: a program that no longer answers fails the
// test instead of holding it. The window's answer; 0 after a failure.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                   DWORD timeoutMs = 10000);

// Whether the process has loaded the module (file name, any case).
bool HasModule(DWORD processId, const char* moduleName);

// Polls until a top-level window (class, title; either may be null) exists.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs);

// Polls until condition() holds; false when timeoutMs passed first.
template <typename Condition> bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
}

} // namespace tvtest
