#include "tests/faults/FaultSupport.h"

#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace faults {
namespace {

struct WindowSearch
{
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        lstrcmpiA(className, search->className) == 0) {
        search->found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context)
{
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && text[0]) {
        *reinterpret_cast<std::string*>(context) += text;
    }
    return TRUE;
}

// Program files a folder copy needs; the tests' own programs stay behind.
const char* const kProgramFiles[] = {"tetravolt.exe", "OptiGear.dll",          "OptiDoze.dll",
                                     "vvc.dll",       "KdSpindownTimeout.dll", "kdacpi.dll",
                                     "pngio.dll",     "Calibrate.dll"};

bool CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(from + name + "\\", to + name + "\\") && ok;
        } else {
            ok = CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(folder + name + "\\");
            } else {
                SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

ProgramRun::~ProgramRun()
{
    if (m_process) {
        if (Running()) {
            Kill();
        }
        CloseHandle(m_process);
    }
}

bool ProgramRun::Launch(const std::string& folder, const std::string& arguments)
{
    m_mark = simboard::LastSequence();
    const std::string path = folder + "tetravolt.exe";
    std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!tvtest::StartInTestJob(path.c_str(), line.data(), FALSE, 0, folder.c_str(), startup,
                                info)) {
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

bool ProgramRun::Start(const std::string& folder)
{
    if (!Launch(folder)) {
        return false;
    }
    return tvtest::WaitUntil(
               [&] {
                   AnswerBoxes();
                   m_window = FindWindowA("TMainForm", "Hexavolt");
                   return m_window || !Running();
               },
               kStartMs) &&
           m_window;
}

bool ProgramRun::WaitUntilStarted()
{
    // High performance, the level only, then "Gear_Flag" cleared.
    return simboard::WaitForCall(simboard::Library::OptiGear, "OptiGearSetItem(0x0B060001, 0)",
                                 m_mark, kStartMs) &&
           tvtest::WaitUntil(
               [] {
                   return tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 1) == 0;
               },
               10000);
}

bool ProgramRun::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool ProgramRun::Answers(DWORD timeoutMs) const
{
    DWORD_PTR answer = 0;
    return m_window &&
           SendMessageTimeoutA(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &answer);
}

void ProgramRun::AnswerBoxes()
{
    for (HWND box : WindowsOf(m_id, "#32770")) {
        bool known = false;
        for (const Box& seen : m_boxes) {
            known = known || seen.window == box;
        }
        if (!known) {
            std::string text;
            EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
            m_boxes.push_back(Box{box, text});
        }
        // Its OK button, pressed (again, should the box not have been ready for the first).
        if (HWND ok = GetDlgItem(box, IDOK)) {
            PostMessageA(ok, BM_CLICK, 0, 0);
        } else {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
}

void ProgramRun::Kill()
{
    if (m_process) {
        TerminateProcess(m_process, 9);
        WaitForSingleObject(m_process, 10000);
    }
}

long ProgramRun::Close()
{
    if (!m_window) {
        return -1;
    }
    PostMessageA(m_window, WM_USER, 85, 0);
    if (WaitForSingleObject(m_process, kStartMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return static_cast<long>(code);
}

std::vector<HWND> WindowsOf(DWORD processId, const char* className)
{
    WindowSearch search{processId, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double RegistryDouble(const char* path, const char* name)
{
    tvtest::RawValue raw = tvtest::ReadRaw(path, name);
    double value = std::numeric_limits<double>::quiet_NaN();
    if (raw.exists && raw.type == REG_BINARY && raw.data.size() == sizeof value) {
        std::memcpy(&value, raw.data.data(), sizeof value);
    }
    return value;
}

ProgramFolder::ProgramFolder()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "tvfaults" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(m_path);
    m_ready = CreateDirectoryA(m_path.c_str(), nullptr) != FALSE;
    const std::string stage = tvtest::StageDir();
    for (const char* file : kProgramFiles) {
        m_ready = m_ready && CopyFileA((stage + file).c_str(), (m_path + file).c_str(), FALSE);
    }
    m_ready = m_ready && CopyTree(stage + "Resource\\", m_path + "Resource\\") &&
              CopyTree(stage + "LangFiles\\", m_path + "LangFiles\\") &&
              CopyTree(stage + "presets\\", m_path + "presets\\");
}

ProgramFolder::~ProgramFolder()
{
    RemoveTree(m_path);
}

bool ProgramFolder::Replace(const std::string& relative, const std::string& bytes)
{
    m_changed.push_back(relative);
    HANDLE file = CreateFileA((m_path + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool ProgramFolder::Remove(const std::string& relative)
{
    m_changed.push_back(relative);
    return DeleteFileA((m_path + relative).c_str()) != FALSE;
}

bool ProgramFolder::CopyOver(const std::string& stageFile, const std::string& relative)
{
    m_changed.push_back(relative);
    return CopyFileA((tvtest::StageDir() + stageFile).c_str(), (m_path + relative).c_str(),
                     FALSE) != FALSE;
}

void ProgramFolder::Restore()
{
    for (const std::string& relative : m_changed) {
        CopyFileA((tvtest::StageDir() + relative).c_str(), (m_path + relative).c_str(), FALSE);
    }
    m_changed.clear();
}

} // namespace faults
