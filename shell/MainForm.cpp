#include "shell/MainForm.h"

#include "lumo/Forms/Application.h"
#include "lumo/System/Source/TraceLog.h"
#include "shell/base/PeerMessages.h"
#include "shell/Startup.h"

namespace tv {

TMainForm::TMainForm(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("MainForm");
    SetCaption(kMainFormCaption);
    SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetPosition(lumo::TPosition::poScreenCenter);
    SetScaled(false);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetClientSize(665, 522);

    m_broadcastMessage = RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE");
    if (lumo::TApplication* application = lumo::Application()) {
        m_hookId = application->HookMainWindow(
            [this](lumo::TMessage& message) { return ApplicationHook(message); });
    }
    if (m_broadcastMessage && !AllowMessageThroughFilter(m_broadcastMessage)) {
        TraceLog("[TMainForm] ChangeWindowMessageFilter failed! GetLastError returned %lu",
                 GetLastError());
    }
}

TMainForm::~TMainForm()
{
    if (lumo::TApplication* application = lumo::Application()) {
        application->UnhookMainWindow(m_hookId);
    }
}

bool TMainForm::ApplicationHook(lumo::TMessage& message)
{
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CLOSE) {
        // Closing from the application's window only puts the program back into the tray.
        Hide();
        message.Result = 0;
        return true;
    }
    return false;
}

void TMainForm::DoClose(lumo::TCloseAction& action)
{
    // Gone from the screen at once, while the application winds down.
    Hide();
    lumo::TForm::DoClose(action);
}

void TMainForm::WndProc(lumo::TMessage& message)
{
    if (message.Msg >= peer::kClose && message.Msg <= peer::kForeground &&
        peer::IsMarked(message.WParam)) {
        switch (message.Msg) {
        case peer::kClose:
            Close();
            message.Result = 0;
            return;
        case peer::kMinimize:
            if (lumo::TApplication* application = lumo::Application()) {
                application->Minimize();
            }
            message.Result = 0;
            return;
        case peer::kShow:
        case peer::kShowPeer:
            ShowMainWindow();
            message.Result = 0;
            return;
        case peer::kForeground:
            SetForegroundWindow(Handle());
            message.Result = 0;
            return;
        default:
            break;
        }
    }
    lumo::TForm::WndProc(message);
}

void TMainForm::ShowMainWindow()
{
    Show();
    if (lumo::TApplication* application = lumo::Application()) {
        application->Restore();
    }
    ForceForeground(Handle());
}

void TMainForm::ForceForeground(HWND window)
{
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    HWND foreground = GetForegroundWindow();
    DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached = foregroundThread && foregroundThread != windowThread &&
                    AttachThreadInput(foregroundThread, windowThread, TRUE);
    AllowSetForegroundWindow(ASFW_ANY);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    if (attached) {
        AttachThreadInput(foregroundThread, windowThread, FALSE);
    }
    if (GetForegroundWindow() != window) {
        // The foreground lock refused: lift it for the moment.
        DWORD timeout = 0;
        SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                              reinterpret_cast<void*>(static_cast<ULONG_PTR>(timeout)),
                              SPIF_SENDCHANGE);
    }
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
}

} // namespace tv
