#include "drvsetup/Launcher.h"

#include "lumo/System/Source/TraceLog.h"

namespace drvsetup {
namespace {

// False when the text cannot be converted.
bool AnsiToWide(const char* text, std::wstring& wide)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.assign(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length) != length) {
        wide.clear();
        return false;
    }
    wide.resize(static_cast<size_t>(length - 1));
    return true;
}

} // namespace

int RunLauncher(const char* folder, LauncherProbes& probes)
{
    if (probes.IsIntelProcessor()) {
        probes.DebugText(L"Intel CPU");
        return kIntelProcessor;
    }
    probes.DebugText(L"AMD CPU");

    DWORD major = 0;
    DWORD minor = 0;
    if (!probes.ReadWindowsVersion(major, minor)) {
        return kNotWindowsXp;
    }
    const WORD architecture = probes.NativeArchitecture();

    std::wstring wideFolder;
    bool converted = true;
    if (folder && *folder) {
        converted = AnsiToWide(folder, wideFolder);
    }

    if (major != 5) {
        return kNotWindowsXp;
    }
    if (minor == 0) {
        return kDone;
    }

    const wchar_t* program =
        architecture == PROCESSOR_ARCHITECTURE_AMD64 ? L"drvsetup64.exe" : L"drvsetup32.exe";
    std::wstring path = wideFolder.empty() ? program : wideFolder + L"\\" + program;
    // A cut-off path could start some other program: a folder that does not fit is refused.
    if (!converted || path.size() >= kLauncherPathChars) {
        TraceLog("[KdCheckOS_DrvSetup] the setup path does not fit in %u characters",
                 static_cast<unsigned>(kLauncherPathChars));
        return kStartFailed;
    }
    if (!probes.StartHiddenAndWait(path, L" -s")) {
        return kStartFailed;
    }
    return kDone;
}

} // namespace drvsetup
