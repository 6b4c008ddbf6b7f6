// Program entry of tetravolt.exe: decides whether to run at all, keeps a single instance,
// creates the forms hidden and runs the message loop. Every path ends with exit code 0.
#include "lumo/Forms/Application.h"
#include "lumo/System/Source/MessageBox.h"
#include "views/AdvancedSetting.h"
#include "power/PowerGearSelection.h"
#include "shell/MainForm.h"
#include "shell/base/PeerMessages.h"
#include "shell/Startup.h"
#include "views/BlackScreen.h"
#include "views/CoverDialog.h"
#include "views/CpuForm.h"
#include "views/ProgressDialog.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

#include <windows.h>
#include <memory>

namespace {

// The power-gear library implementation this program uses.
constexpr int kPowerGearImplementation = 0;

constexpr UINT kHandOverWaitMs = 5000;

// Hands the start over to the running instance, whose main window shows itself.
void HandOverToRunningInstance()
{
    HWND window = FindWindowA(tv::kMainFormClass, tv::kMainFormCaption);
    if (window) {
        AllowSetForegroundWindow(ASFW_ANY);
        // Bounded: the show may open a modal notice there (first run, back to default), and
        // this process has nothing to wait for.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, tv::peer::kShowPeer, tv::peer::kMarker, 0,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kHandOverWaitMs, &result);
    }
}

int RunTetravolt(const char* commandLine)
{
    std::unique_ptr<lumo::TApplication> application;
    try {
        bool bootSwitch = tv::HasBootSwitch(commandLine);
        if (!bootSwitch) {
            if (tv::IsInstallRebootPending()) {
                lumo::ShowMessageBox(nullptr, tv::kRebootText, tv::kRebootCaption, MB_OK);
                return 0;
            }
        } else if (!tv::IsBootLaunchEnabled()) {
            return 0;
        }

        // Held for the life of the process; the system releases it at exit.
        CreateMutexA(nullptr, TRUE, tv::kInstanceMutexName);
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            HandOverToRunningInstance();
            return 0;
        }

        tv::SelectPowerGearImplementation(kPowerGearImplementation);

        application = std::make_unique<lumo::TApplication>();
        application->SetTitle(tv::kApplicationTitle);
        application->SetShowMainForm(false);

        tv::TMainForm* mainForm = application->CreateForm<tv::TMainForm>();
        application->CreateForm<tv::TCoverDialog>();
        application->CreateForm<tv::TProgressDialog>();
        application->CreateForm<tv::TUniversalDialog>();
        application->CreateForm<tv::TAdvancedSetting>();
        application->CreateForm<tv::TVgaForm>();
        application->CreateForm<tv::TCpuForm>();
        application->CreateForm<tv::TBlackScreen>();

        mainForm->Start(bootSwitch);
        tv::PrepareDialogForms(*application);

        application->Run();
    } catch (const lumo::Exception& error) {
        if (application) {
            application->ShowException(error);
        } else {
            lumo::TApplication::ShowExceptionMessage(error, tv::kApplicationTitle);
        }
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunTetravolt(GetCommandLineA());
}
