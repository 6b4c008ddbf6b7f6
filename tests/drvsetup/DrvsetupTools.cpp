#include "tests/drvsetup/DrvsetupTools.h"

#include "tests/support/Support.h"

#include <cstring>
#include <sstream>

namespace drvtest {
namespace {

class Handle
{
public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void Reset(HANDLE handle = nullptr)
    {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
        m_handle = handle;
    }
    HANDLE Get() const { return m_handle; }
    HANDLE* Out() { return &m_handle; }

private:
    HANDLE m_handle;
};

struct ReaderState
{
    HANDLE pipe;
    std::string bytes;
};

DWORD WINAPI ReadAll(void* context)
{
    auto* state = static_cast<ReaderState*>(context);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(state->pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        state->bytes.append(buffer, read);
    }
    return 0;
}

std::string WithoutCarriageReturns(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        result += text[i];
    }
    return result;
}

} // namespace

bool CopyFromStage(const std::string& stageName, const std::string& destination)
{
    return CopyFileA((tvtest::StageDir() + stageName).c_str(), destination.c_str(), FALSE) != 0;
}

std::string ReadWholeFile(const std::string& path)
{
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

WORD MachineOf(const std::string& path)
{
    const std::string image = ReadWholeFile(path);
    IMAGE_DOS_HEADER dos;
    if (image.size() < sizeof dos) {
        return 0;
    }
    std::memcpy(&dos, image.data(), sizeof dos);
    const size_t at = static_cast<size_t>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
        image.size() < at + sizeof signature + sizeof file) {
        return 0;
    }
    std::memcpy(&signature, image.data() + at, sizeof signature);
    std::memcpy(&file, image.data() + at + sizeof signature, sizeof file);
    return signature == IMAGE_NT_SIGNATURE ? file.Machine : 0;
}

Captured RunCaptured(const std::string& program, const std::string& arguments,
                     const std::string& workingDir, DWORD timeoutMs)
{
    Captured captured;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle readEnd;
    Handle writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) {
        return captured;
    }
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr));

    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) {
        line += " " + arguments;
    }
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = nul.Get();
    PROCESS_INFORMATION info = {};
    std::string folder = workingDir.empty() ? tvtest::StageDir() : workingDir;
    if (!tvtest::StartInTestJob(program.c_str(), mutableLine.data(), TRUE, CREATE_NO_WINDOW,
                                folder.c_str(), startup, info)) {
        return captured;
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    writeEnd.Reset();

    ReaderState state = {readEnd.Get(), std::string()};
    Handle reader(CreateThread(nullptr, 0, &ReadAll, &state, 0, nullptr));
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.Get(), &code);
        captured.exitCode = static_cast<long>(code);
    }
    // The pipe closes when the program (and any child that inherited it) has ended.
    if (WaitForSingleObject(reader.Get(), 10000) != WAIT_OBJECT_0) {
        CancelSynchronousIo(reader.Get());
        if (WaitForSingleObject(reader.Get(), 5000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the output pipe of " << program << " stays open";
            TerminateThread(reader.Get(), 1);
        }
    }
    captured.output = WithoutCarriageReturns(state.bytes);
    return captured;
}

std::vector<RecordedStart> RecordedStarts(const std::string& recorderPath)
{
    std::vector<RecordedStart> starts;
    std::istringstream log(ReadWholeFile(recorderPath + ".log"));
    std::string line;
    while (std::getline(log, line)) {
        if (line == "end") {
            if (!starts.empty()) {
                starts.back().ended = true;
            }
            continue;
        }
        if (line.compare(0, 6, "start\t") != 0) {
            continue;
        }
        RecordedStart start;
        size_t show = line.rfind('\t');
        size_t flags = line.rfind('\t', show - 1);
        start.commandLine = line.substr(6, flags - 6);
        start.flags = std::stoul(line.substr(flags + 1, show - flags - 1));
        start.showWindow = static_cast<unsigned>(std::stoul(line.substr(show + 1)));
        starts.push_back(start);
    }
    return starts;
}

ScopedWineVersion::ScopedWineVersion(const std::string& program, const std::string& version)
    : m_key("Software\\Wine\\AppDefaults\\" + program)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    m_ok = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                          static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

ScopedWineVersion::~ScopedWineVersion()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
}

} // namespace drvtest
