#include "shell/Startup.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Image.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "shell/DialogFlow.h"
#include "shell/base/RegistrySchema.h"
#include "views/BlackScreen.h"
#include "views/BlackScreenController.h"
#include "views/CoverDialog.h"
#include "views/CpuForm.h"
#include "views/ProgressDialog.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

namespace tv {
namespace {

constexpr DWORD kMessageFilterAdd = 1;

struct ConflictWindow
{
    const char* windowClass;
    const char* title;
};

// Utilities of the suite that must not run beside this one, in the order they are checked.
const ConflictWindow kConflictTable[] = {
    {"TfrmMain", "Opti Boost"},
    {"TfrmMain", "KALDO K-Fan"},
    {"TMainForm", "Opti Nitro"},
    {"TfrmMain", "Core Climb"},
};

ChangeWindowMessageFilterFn LookUpMessageFilter()
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) {
        return nullptr;
    }
    return reinterpret_cast<ChangeWindowMessageFilterFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
}

template <typename Form> Form* FindForm(lumo::TApplication& application)
{
    for (lumo::TForm* form : application.Forms()) {
        if (auto* found = dynamic_cast<Form*>(form)) {
            return found;
        }
    }
    return nullptr;
}

// Resolved during static initialisation, before the program entry.
const ChangeWindowMessageFilterFn g_messageFilter = LookUpMessageFilter();

} // namespace

std::vector<std::string> CommandLineParameters(const char* commandLine)
{
    std::vector<std::string> parameters;
    if (!commandLine) {
        return parameters;
    }
    const char* p = commandLine;
    bool first = true;
    for (;;) {
        while (*p == ' ' || *p == '\t') {
            ++p;
        }
        if (!*p) {
            break;
        }
        std::string parameter;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '"') {
                quoted = !quoted;
            } else {
                parameter += *p;
            }
            ++p;
        }
        if (first) {
            // The program name.
            first = false;
            continue;
        }
        parameters.push_back(parameter);
    }
    return parameters;
}

bool HasBootSwitch(const char* commandLine)
{
    for (const std::string& parameter : CommandLineParameters(commandLine)) {
        if (parameter.size() == 2 && parameter[0] == '-' &&
            (parameter[1] == 'b' || parameter[1] == 'B')) {
            return true;
        }
    }
    return false;
}

bool IsBootLaunchEnabled()
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kAdvanceKey, false)) {
        return true;
    }
    DWORD value = 0;
    return !(key.ReadDword(reg::kRunAtSystemStartup, value) && value == 1);
}

bool IsInstallRebootPending()
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kRunOnceKey, false)) {
        return false;
    }
    std::string value;
    return key.ReadString(reg::kRunOnceInstall, value);
}

bool IsConflictRunning()
{
    for (const ConflictWindow& conflict : kConflictTable) {
        if (FindWindowA(conflict.windowClass, conflict.title)) {
            return true;
        }
    }
    return false;
}

bool IsVoltTurnVisible()
{
    HWND window = FindWindowA("TApplication", "VoltTurn");
    if (!window) {
        return false;
    }
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

ChangeWindowMessageFilterFn ChangeWindowMessageFilterEntry()
{
    return g_messageFilter;
}

BOOL AllowMessageThroughFilter(UINT message)
{
    return AllowMessageThroughFilter(g_messageFilter, message);
}

BOOL AllowMessageThroughFilter(ChangeWindowMessageFilterFn entry, UINT message)
{
    if (!entry) {
        return 1;
    }
    return entry(message, kMessageFilterAdd);
}

lumo::TImage* FindBackgroundImage(lumo::TWinControl& window)
{
    for (int i = 0; i < window.ControlCount(); ++i) {
        lumo::TControl* control = window.Controls(i);
        if (auto* image = dynamic_cast<lumo::TImage*>(control)) {
            if (image->Name() == "Background") {
                return image;
            }
        }
        if (auto* child = dynamic_cast<lumo::TWinControl*>(control)) {
            if (lumo::TImage* image = FindBackgroundImage(*child)) {
                return image;
            }
        }
    }
    return nullptr;
}

void PrepareDialogForms(lumo::TApplication& application)
{
    DialogForms forms;
    forms.universal = FindForm<TUniversalDialog>(application);
    forms.progress = FindForm<TProgressDialog>(application);
    forms.cover = FindForm<TCoverDialog>(application);
    forms.vga = FindForm<TVgaForm>(application);
    forms.cpu = FindForm<TCpuForm>(application);
    DialogFlow::Instance().SetForms(forms);
    BlackScreenController::Instance().Attach(FindForm<TBlackScreen>(application));

    lumo::TForm* main = application.MainForm();
    if (!forms.cover || !main) {
        return;
    }
    for (lumo::TForm* owned :
         {static_cast<lumo::TForm*>(forms.vga), static_cast<lumo::TForm*>(forms.cpu)}) {
        if (owned) {
            owned->SetOwnerWindow(forms.cover->Handle());
        }
    }
    if (lumo::TImage* background = FindBackgroundImage(*main)) {
        forms.cover->Prepare(*main, *background);
    } else {
        TraceLog("~~~[Startup] the main form has no Background image: no cover");
    }
}

} // namespace tv
