#pragma once
// Start-up decisions and the process-wide start-up data: the boot switch, the pending reboot
// after an installation, the boot-launch setting, the single-instance name, the utilities that
// conflict with this one and the optional ChangeWindowMessageFilter entry point.
#include <windows.h>
#include <string>
#include <vector>

namespace lumo {
class TApplication;
class TImage;
class TWinControl;
} // namespace lumo

namespace tv {

inline constexpr char kInstanceMutexName[] = "5B0C2E7A-91D4-4C3F-8E26-3A7D19F04B62";
inline constexpr char kMainFormClass[] = "TMainForm";
inline constexpr char kMainFormCaption[] = "Hexavolt";
inline constexpr char kApplicationTitle[] = "Tetravolt Core";
inline constexpr char kRebootCaption[] = "Tetravolt";
inline constexpr char kRebootText[] = "You must reboot the system after installing Tetravolt";

// The parameters of a command line after the program name: separated by blanks, double quotes
// group and are removed.
std::vector<std::string> CommandLineParameters(const char* commandLine);

// True when a parameter is "-b" in any case (a parameter starting with "-" whose rest is "b").
bool HasBootSwitch(const char* commandLine);

// False only when HKLM "...\Opti Gear3\Advance" opens and "RunAtSystemStartup" reads as a
// DWORD equal to 1.
bool IsBootLaunchEnabled();

// True when the installer's RunOnce value "Tetravolt Install" reads as a string (a reboot is
// still due).
bool IsInstallRebootPending();

// A window of one of the conflicting utilities exists (checked in table order).
bool IsConflictRunning();
// The voltage utility's window exists and is visible.
bool IsVoltTurnVisible();

// ChangeWindowMessageFilter, looked up in user32.dll before the program entry runs; null on
// systems without it.
using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT message, DWORD flag);
ChangeWindowMessageFilterFn ChangeWindowMessageFilterEntry();
// Lets message through the privilege filter (MSGFLT_ADD). Without the entry point nothing is
// called and the result is success (1).
BOOL AllowMessageThroughFilter(UINT message);
BOOL AllowMessageThroughFilter(ChangeWindowMessageFilterFn entry, UINT message);

// The image named "Background" among the controls of a window (searched through its children),
// or null.
lumo::TImage* FindBackgroundImage(lumo::TWinControl& window);

// After the main controller has set up its view: the dialog forms of the application go to the
// dialog flow, the black screen to its controller, the graphics-card notice and the CPU details
// are owned by the cover, and the cover prepares itself over the main form and its Background
// image (without one the cover stays unprepared and never shows).
void PrepareDialogForms(lumo::TApplication& application);

} // namespace tv
