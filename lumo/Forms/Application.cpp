#include "lumo/Forms/Application.h"

#include "lumo/Forms/GuiThread.h"
#include "lumo/Forms/HintWindow.h"
#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WindowClass.h"

#include <algorithm>

namespace lumo {
namespace {

TApplication* g_application = nullptr;

constexpr char kWindowClass[] = "TApplication";
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

std::string ModuleTitle()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

bool IsButtonDown(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN ||
           message == WM_NCMBUTTONDOWN;
}

} // namespace

TApplication* Application()
{
    return g_application;
}

TApplication::TApplication() : TComponent(nullptr)
{
    LUMO_ASSERT(g_application == nullptr);
    g_application = this;
    GuiThread::Attach();
    m_title = ModuleTitle();
    WNDCLASSEXA windowClass = {};
    windowClass.lpfnWndProc = &TApplication::StaticWndProc;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterWindowClass("TApplication", windowClass);
    // Hidden for good: it carries the title, owns the forms and receives broadcasts.
    m_handle =
        CreateWindowExA(0, kWindowClass, m_title.c_str(),
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!m_handle) {
        TraceLog("[TApplication] CreateWindowEx failed! GetLastError returned %lu", GetLastError());
    }
}

TApplication::~TApplication()
{
    CancelHint();
    MarkDestroying();
    // Forms first (last created first), while the application window still owns them.
    DestroyComponents();
    m_hooks.clear();
    if (m_handle) {
        DestroyWindow(m_handle);
        m_handle = nullptr;
    }
    g_application = nullptr;
}

void TApplication::SetTitle(const std::string& title)
{
    m_title = title;
    if (m_handle) {
        SetWindowTextA(m_handle, title.c_str());
    }
}

void TApplication::AddForm(TForm* form)
{
    m_forms.push_back(form);
}

void TApplication::RemoveForm(TForm* form)
{
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), form), m_forms.end());
    m_hiddenByMinimize.erase(
        std::remove(m_hiddenByMinimize.begin(), m_hiddenByMinimize.end(), form),
        m_hiddenByMinimize.end());
    if (form == m_mainForm) {
        m_mainForm = nullptr;
        if (!IsDestroying()) {
            // The program cannot go on without its main form.
            Terminate();
        }
    }
}

void TApplication::Run()
{
    if (m_showMainForm && m_mainForm) {
        m_mainForm->Show();
    }
    while (!m_terminated) {
        HandleMessage();
    }
    // The quit that Terminate posted has done its work; what runs after the loop (and a next
    // application on this thread) must not meet it.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void TApplication::Terminate()
{
    m_terminated = true;
    // The quit also ends a system modal loop this thread is in (a message box, a menu): a close
    // command that arrives while a box waits for a click would otherwise end nothing.
    PostQuitMessage(0);
}

bool TApplication::HandleMessage()
{
    if (m_terminated) {
        return false;
    }
    MSG message;
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) {
        m_terminated = true;
        return false;
    }
    if (result == -1) {
        TraceLog("[TApplication::HandleMessage] GetMessage failed! GetLastError returned %lu",
                 GetLastError());
        return !m_terminated;
    }
    DispatchOne(message);
    return !m_terminated;
}

void TApplication::ProcessMessages()
{
    MSG message;
    while (!m_terminated && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_terminated = true;
            break;
        }
        DispatchOne(message);
    }
}

void TApplication::DispatchOne(MSG& message)
{
    bool handled = false;
    if (OnMessage) {
        try {
            OnMessage(message, handled);
        } catch (const Exception& e) {
            HandleException(e);
        }
    }
    if (handled) {
        return;
    }
    if (IsButtonDown(message.message)) {
        CancelHint();
    }
    if (IsKeyMessage(message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool TApplication::IsKeyMessage(MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || GetKeyState(VK_CONTROL) < 0 ||
        GetKeyState(VK_MENU) < 0) {
        return false;
    }
    for (HWND window = message.hwnd; window; window = GetParent(window)) {
        TWinControl* control = TWinControl::FromHandle(window);
        if (!control) {
            continue;
        }
        TForm* form = control->ParentForm();
        if (!form) {
            return false;
        }
        form->SelectNext(control == form ? nullptr : control, GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return false;
}

void TApplication::Minimize()
{
    if (m_minimized) {
        return;
    }
    CancelHint();
    m_minimized = true;
    m_hiddenByMinimize.clear();
    for (TForm* form : m_forms) {
        if (form->HandleAllocated() && IsWindowVisible(form->Handle())) {
            m_hiddenByMinimize.push_back(form);
            ShowWindow(form->Handle(), SW_HIDE);
        }
    }
    if (OnMinimize) {
        OnMinimize(this);
    }
}

void TApplication::Restore()
{
    if (!m_minimized) {
        return;
    }
    m_minimized = false;
    std::vector<TForm*> forms;
    forms.swap(m_hiddenByMinimize);
    for (TForm* form : forms) {
        if (form->Visible() && form->HandleAllocated()) {
            ShowWindow(form->Handle(), SW_SHOWNA);
        }
    }
    if (m_mainForm && m_mainForm->Showing()) {
        SetActiveWindow(m_mainForm->Handle());
    }
    if (OnRestore) {
        OnRestore(this);
    }
}

int TApplication::HookMainWindow(THookProc hook)
{
    int id = m_nextHookId++;
    m_hooks.push_back(Hook{id, std::move(hook)});
    return id;
}

void TApplication::UnhookMainWindow(int id)
{
    m_hooks.erase(std::remove_if(m_hooks.begin(), m_hooks.end(),
                                 [id](const Hook& hook) { return hook.id == id; }),
                  m_hooks.end());
}

LRESULT CALLBACK TApplication::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    TApplication* application;
    if (message == WM_NCCREATE) {
        application =
            static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(application));
    } else {
        application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, 0));
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, 0, 0);
    }
    if (!application || application->IsDestroying()) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    TMessage msg = {window, message, wParam, lParam, 0};
    try {
        application->WndProc(msg);
    } catch (const Exception& e) {
        application->HandleException(e);
    }
    return msg.Result;
}

void TApplication::WndProc(TMessage& message)
{
    // A hook may unhook itself: walk a copy.
    std::vector<Hook> hooks = m_hooks;
    for (Hook& hook : hooks) {
        if (hook.proc(message)) {
            return;
        }
    }
    switch (message.Msg) {
    case WM_CLOSE:
        if (m_mainForm) {
            m_mainForm->Close();
        }
        message.Result = 0;
        return;
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            message.Result = 0;
            return;
        case SC_RESTORE:
            Restore();
            message.Result = 0;
            return;
        default:
            break;
        }
        break;
    case WM_TIMER:
        if (message.WParam == kHintShowTimer) {
            KillTimer(m_handle, kHintShowTimer);
            ActivateHint();
        } else if (message.WParam == kHintHideTimer) {
            CancelHint();
        }
        message.Result = 0;
        return;
    case WM_ACTIVATEAPP:
        ApplicationActivated(message.WParam != 0);
        break;
    default:
        break;
    }
    message.Result = DefWindowProcA(message.Window, message.Msg, message.WParam, message.LParam);
}

void TApplication::ApplicationActivated(bool active)
{
    if (!active) {
        CancelHint();
        if (OnDeactivate) {
            OnDeactivate(this);
        }
    } else if (OnActivate) {
        OnActivate(this);
    }
}

void TApplication::ShowExceptionMessage(const Exception& error, const std::string& title)
{
    std::string text = error.Message();
    if (!text.empty() && text.back() > '.') {
        text += '.';
    }
    ShowMessageBox(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::ShowException(const Exception& error)
{
    ShowExceptionMessage(error, m_title.empty() ? ModuleTitle() : m_title);
}

void TApplication::HandleException(const Exception& error)
{
    TraceLog("[TApplication::HandleException] %s", error.Message());
    if (OnException) {
        OnException(this, error);
    } else {
        ShowException(error);
    }
}

void HandleFrameworkException(const Exception& error)
{
    if (TApplication* application = Application()) {
        application->HandleException(error);
    } else {
        TraceLog("[HandleFrameworkException] %s", error.Message());
        TApplication::ShowExceptionMessage(error, ModuleTitle());
    }
}

bool PumpMessage()
{
    if (TApplication* application = Application()) {
        return application->HandleMessage();
    }
    MSG message;
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) {
        // Leave it for the loop outside.
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    if (result == -1) {
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

void TApplication::SetShowHint(bool show)
{
    m_showHint = show;
    if (!show) {
        CancelHint();
    }
}

void TApplication::HintMouseEnter(TControl* control)
{
    if (!m_showHint || control == m_hintWindow) {
        return;
    }
    CancelHint();
    if (control->Hint().empty() || !control->ShowHint() || !m_handle) {
        return;
    }
    m_hintControl = control;
    SetTimer(m_handle, kHintShowTimer, m_hintPause, nullptr);
}

void TApplication::HintMouseLeave(TControl* control)
{
    if (control == m_hintControl) {
        CancelHint();
    }
}

void TApplication::ControlDestroyed(TControl* control)
{
    if (control == m_hintControl) {
        CancelHint();
    }
    if (control == m_hintWindow) {
        m_hintWindow = nullptr;
    }
}

void TApplication::ActivateHint()
{
    if (!m_hintControl || !m_hintControl->Showing()) {
        CancelHint();
        return;
    }
    if (!m_hintWindow) {
        m_hintWindow = new THintWindow(this);
    }
    // Below the pointer when it rests on the control, else below the control.
    POINT cursor;
    GetCursorPos(&cursor);
    POINT topLeft = m_hintControl->ClientToScreen(POINT{0, 0});
    RECT area = {topLeft.x, topLeft.y, topLeft.x + m_hintControl->Width(),
                 topLeft.y + m_hintControl->Height()};
    POINT at = PtInRect(&area, cursor) ? POINT{cursor.x, cursor.y + 20}
                                       : POINT{area.left, area.bottom + 2};
    m_hintWindow->ActivateHint(at, m_hintControl->Hint());
    SetTimer(m_handle, kHintHideTimer, m_hintHidePause, nullptr);
}

void TApplication::CancelHint()
{
    if (m_handle) {
        KillTimer(m_handle, kHintShowTimer);
        KillTimer(m_handle, kHintHideTimer);
    }
    m_hintControl = nullptr;
    if (m_hintWindow) {
        m_hintWindow->ReleaseHint();
    }
}

HWND TApplication::HintWindowHandle() const
{
    return m_hintWindow && m_hintWindow->HandleAllocated() && m_hintWindow->Visible()
               ? m_hintWindow->Handle()
               : nullptr;
}

} // namespace lumo
