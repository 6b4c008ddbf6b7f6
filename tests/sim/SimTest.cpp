#include "tests/sim/SimTest.h"

#include <thread>

namespace simtest {

std::string StagePath(const std::string& file)
{
    return tvtest::StageDir() + file;
}

std::string SystemPath(const std::string& file)
{
    char folder[MAX_PATH + 1] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + file;
}

Module::Module(const std::string& path) : m_module(LoadLibraryA(path.c_str())) {}

Module::~Module()
{
    if (m_module) {
        FreeLibrary(m_module);
    }
}

namespace {

struct Pipe
{
    HANDLE read = nullptr;
    HANDLE write = nullptr;

    bool Create()
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(&read, &write, &inherit, 0)) {
            return false;
        }
        return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != 0;
    }
    void CloseWrite()
    {
        if (write) {
            CloseHandle(write);
            write = nullptr;
        }
    }
    ~Pipe()
    {
        CloseWrite();
        if (read) {
            CloseHandle(read);
        }
    }
};

void Drain(HANDLE pipe, std::string* text)
{
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text->append(buffer, read);
    }
}

} // namespace

Captured RunCaptured(const std::string& program, const std::string& arguments, DWORD timeoutMs)
{
    Captured captured;
    Pipe out, err;
    if (!out.Create() || !err.Create()) {
        captured.exitCode = -2;
        return captured;
    }
    std::string commandLine = "\"" + program + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.write;
    startup.hStdError = err.write;
    PROCESS_INFORMATION info = {};
    if (!tvtest::StartInTestJob(program.c_str(), line.data(), TRUE, CREATE_NO_WINDOW,
                                tvtest::StageDir().c_str(), startup, info)) {
        captured.exitCode = -2;
        return captured;
    }
    CloseHandle(info.hThread);
    out.CloseWrite();
    err.CloseWrite();
    std::thread outReader([&] { Drain(out.read, &captured.out); });
    std::thread errReader([&] { Drain(err.read, &captured.err); });
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        captured.exitCode = static_cast<long>(code);
    } else {
        TerminateProcess(info.hProcess, 259);
    }
    outReader.join();
    errReader.join();
    CloseHandle(info.hProcess);
    // The runtime writes text mode: CR LF becomes LF for easy comparison.
    for (std::string* text : {&captured.out, &captured.err}) {
        std::string plain;
        for (char c : *text) {
            if (c != '\r') {
                plain += c;
            }
        }
        *text = plain;
    }
    return captured;
}

} // namespace simtest
