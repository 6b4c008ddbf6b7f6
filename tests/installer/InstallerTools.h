#pragma once
// Equipment of the installer tests: where the packages are, programs started from any folder
// (with the helpers they start themselves), files and version resources as Windows sees them.
// The driver setup tests' equipment (tests/drvsetup/DrvsetupTools.h) serves here too.
#include <windows.h>
#include <string>
#include <vector>

namespace insttest {

// A path the test run hands over in an environment variable (a Unix path becomes a Z: path);
// empty when the variable is not set.
std::string PathFromEnvironment(const char* name);

// The Program Files folder of this test program's bitness, without a trailing backslash.
std::string ProgramFilesFolder();
bool Is64BitWindows();
// The registry view of the other bitness (0 on 32-bit Windows, which has only one).
REGSAM OtherRegistryView();

// A process started from a full path inside the test job; killed on destruction if running.
class Child
{
public:
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Start(const std::string& path, const std::string& arguments,
               const std::string& folder = std::string());
    // Exit code, or -1 when it did not end within timeoutMs.
    long Wait(DWORD timeoutMs);
    bool Running() const;
    DWORD Id() const { return m_id; }

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// Runs a program to its end and then waits for the processes it started and left running (an
// NSIS uninstaller hands over to a copy of itself in the temporary folder). The exit code of the
// last of them, else the program's own; -1 on time-out.
long RunWithHandOver(const std::string& path, const std::string& arguments, DWORD timeoutMs);

// Every file below folder (relative paths with backslashes), sorted; empty when it is missing.
std::vector<std::string> FilesBelow(const std::string& folder);
bool FolderExists(const std::string& path);
unsigned long long FileSize(const std::string& path);

struct FileVersion
{
    bool present = false;
    std::string fixed;          // "a.b.c.d" from the fixed part
    std::string productVersion; // the "ProductVersion" text
};
FileVersion VersionOf(const std::string& path);

// The static text of a message box.
std::string BoxText(HWND box);

} // namespace insttest
