#pragma once
// Equipment of the driver setup tests: package folders outside the program folder, programs run
// with their output captured, the start recorder's log and Wine's per-program Windows version.
#include <windows.h>
#include <string>
#include <vector>

namespace drvtest {

// Copies a file of the stage into destination (a full path); false on failure.
bool CopyFromStage(const std::string& stageName, const std::string& destination);

// Whole file, empty when missing.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

// The machine type in a program's PE header (IMAGE_FILE_MACHINE_...), 0 when it has none.
WORD MachineOf(const std::string& path);

struct Captured
{
    long exitCode = -1; // -1: did not end in time (then killed)
    std::string output; // standard output, CR LF turned into LF
};

// Runs program (full path) with "\"program\" arguments", standard output captured, in folder
// workingDir (empty: the stage).
Captured RunCaptured(const std::string& program, const std::string& arguments,
                     const std::string& workingDir = std::string(), DWORD timeoutMs = 60000);

// One start seen by the start recorder.
struct RecordedStart
{
    std::string commandLine;
    DWORD flags = 0;
    unsigned showWindow = 0;
    bool ended = false; // it ran to its end
};

// The starts that the recorder copied to path logged (path + ".log").
std::vector<RecordedStart> RecordedStarts(const std::string& recorderPath);

// Makes Wine report a Windows version ("winxp", "win2k", "vista", ...) to every program named
// program (file name) started while this object lives.
class ScopedWineVersion
{
public:
    ScopedWineVersion(const std::string& program, const std::string& version);
    ~ScopedWineVersion();
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;
    bool Ok() const { return m_ok; }

private:
    std::string m_key;
    bool m_ok = false;
};

} // namespace drvtest
