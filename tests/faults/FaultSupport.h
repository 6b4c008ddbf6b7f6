#pragma once
// tetravolt.exe run from outside on a bad day: killed, started from a program folder with
// broken files, facing hostile registry values or a misbehaving peer. What the fault tests share.
#include "tests/support/Support.h"

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace faults {

constexpr DWORD kStartMs = 30000;
// The energy tick's interval plus room for a busy machine.
constexpr DWORD kTickWaitMs = 12000;

struct Box
{
    HWND window;
    std::string text;
};

// One run of tetravolt.exe from a program folder (the stage unless told), in the test's job.
class ProgramRun
{
public:
    ProgramRun() = default;
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Starts it; folder with its trailing backslash.
    bool Launch(const std::string& folder = tvtest::StageDir(),
                const std::string& arguments = std::string());
    // Launch, then wait for the main window (message boxes of the start are answered on the way
    // and collected in Boxes()).
    bool Start(const std::string& folder = tvtest::StageDir());
    // On a working board: waits until the start operation has applied its first mode (the
    // window exists before the start operation runs).
    bool WaitUntilStarted();
    bool Running() const;
    HWND Window() const { return m_window; }
    DWORD Id() const { return m_id; }
    // The main window answers a sent message within timeoutMs.
    bool Answers(DWORD timeoutMs) const;
    // Answers every message box of the process shown now (OK) and records its text.
    void AnswerBoxes();
    const std::vector<Box>& Boxes() const { return m_boxes; }
    // TerminateProcess, as a crash or the task manager ends it.
    void Kill();
    // Message 1024; the exit code, -1 when it did not end.
    long Close();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    uint32_t m_mark = 0;
    HWND m_window = nullptr;
    std::vector<Box> m_boxes;
};

// Visible top-level windows of a process with that class (a message box: "#32770").
std::vector<HWND> WindowsOf(DWORD processId, const char* className);

// An 8-byte REG_BINARY double of the registry; NaN when absent or of another shape.
double RegistryDouble(const char* path, const char* name);

// A copy of the program folder (the program, its libraries, Resource\, LangFiles\) that a test
// may break, restored file by file.
class ProgramFolder
{
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& Path() const { return m_path; }
    // Replaces a file (relative path) with bytes; Restore puts the stage's back.
    bool Replace(const std::string& relative, const std::string& bytes);
    bool Remove(const std::string& relative);
    bool CopyOver(const std::string& stageFile, const std::string& relative);
    void Restore();

private:
    std::string m_path;
    bool m_ready = false;
    std::vector<std::string> m_changed;
};

} // namespace faults
