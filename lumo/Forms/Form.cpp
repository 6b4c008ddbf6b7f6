#include "lumo/Forms/Form.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/Assert.h"

#include <functional>
#include <vector>

namespace lumo {
namespace {

constexpr DWORD kBorderStyles = WS_POPUP | WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME |
                                WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kBorderExStyles =
    WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
constexpr int kDesignPixelsPerInch = 96;

struct DisabledWindows
{
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM context)
{
    auto* state = reinterpret_cast<DisabledWindows*>(context);
    if (window != state->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        state->windows.push_back(window);
    }
    return TRUE;
}

// Re-enables the windows a modal loop disabled, also when the loop ends by an exception.
class ModalScope
{
public:
    explicit ModalScope(HWND modal)
    {
        m_state.keep = modal;
        EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&m_state));
    }
    ~ModalScope() { Restore(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    void Restore()
    {
        for (HWND window : m_state.windows) {
            if (IsWindow(window)) {
                EnableWindow(window, TRUE);
            }
        }
        m_state.windows.clear();
    }

private:
    DisabledWindows m_state;
};

void ScaleTree(TWinControl* parent, int multiplier, int divisor)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        control->SetBounds(MulDiv(control->Left(), multiplier, divisor),
                           MulDiv(control->Top(), multiplier, divisor),
                           MulDiv(control->Width(), multiplier, divisor),
                           MulDiv(control->Height(), multiplier, divisor));
        if (!control->ParentFont()) {
            control->Font().SetHeight(MulDiv(control->Font().Height(), multiplier, divisor));
        }
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            ScaleTree(windowed, multiplier, divisor);
        }
    }
}

} // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    m_visible = false;
    SetParentFont(false);
    if (TApplication* application = Application()) {
        application->AddForm(this);
    }
}

TForm::~TForm()
{
    MarkTreeDestroying();
    DestroyHandle();
    if (TApplication* application = Application()) {
        application->RemoveForm(this);
    }
}

void TForm::SetParent(TWinControl* parent)
{
    LUMO_ASSERT(parent == nullptr);
}

void TForm::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (m_borderStyle) {
    case TFormBorderStyle::bsNone:
        style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsSingle:
        style |= WS_CAPTION | WS_BORDER;
        break;
    case TFormBorderStyle::bsSizeable:
        style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        style |= WS_POPUP | WS_CAPTION;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    case TFormBorderStyle::bsToolWindow:
        style |= WS_CAPTION;
        exStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (m_borderStyle != TFormBorderStyle::bsNone && (m_borderIcons & biSystemMenu)) {
        style |= WS_SYSMENU;
        bool boxes = m_borderStyle == TFormBorderStyle::bsSingle ||
                     m_borderStyle == TFormBorderStyle::bsSizeable;
        if (boxes && (m_borderIcons & biMinimize)) {
            style |= WS_MINIMIZEBOX;
        }
        if (boxes && (m_borderIcons & biMaximize)) {
            style |= WS_MAXIMIZEBOX;
        }
    }
    if (!m_enabled) {
        style |= WS_DISABLED;
    }
    params.Style = (style | m_styleAdd) & ~m_styleRemove;
    params.ExStyle = (exStyle | m_exStyleAdd) & ~m_exStyleRemove;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = m_ownerWindow;
    if (!params.WndParent) {
        if (TApplication* application = Application()) {
            params.WndParent = application->Handle();
        }
    }
}

void TForm::CreateWnd()
{
    ScaleForScreen();
}

void TForm::ScaleForScreen()
{
    if (!m_scaled || m_scaleDone) {
        return;
    }
    m_scaleDone = true;
    WindowDC screen(nullptr);
    int pixelsPerInch = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    if (pixelsPerInch == kDesignPixelsPerInch) {
        return;
    }
    int clientWidth = ClientWidth();
    int clientHeight = ClientHeight();
    Font().SetHeight(MulDiv(Font().Height(), pixelsPerInch, kDesignPixelsPerInch));
    ScaleTree(this, pixelsPerInch, kDesignPixelsPerInch);
    SetClientSize(MulDiv(clientWidth, pixelsPerInch, kDesignPixelsPerInch),
                  MulDiv(clientHeight, pixelsPerInch, kDesignPixelsPerInch));
}

void TForm::ApplyStyles()
{
    if (!m_handle) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    DWORD managed = kBorderStyles | m_styleAdd | m_styleRemove;
    DWORD managedEx = kBorderExStyles | m_exStyleAdd | m_exStyleRemove;
    DWORD style = static_cast<DWORD>(GetWindowLongA(m_handle, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(m_handle, GWL_EXSTYLE));
    DWORD newStyle = (style & ~managed) | (params.Style & managed);
    DWORD newExStyle = (exStyle & ~managedEx) | (params.ExStyle & managedEx);
    if (newStyle != style) {
        SetWindowLongA(m_handle, GWL_STYLE, static_cast<LONG>(newStyle));
    }
    if (newExStyle != exStyle) {
        SetWindowLongA(m_handle, GWL_EXSTYLE, static_cast<LONG>(newExStyle));
    }
    if (newStyle != style || newExStyle != exStyle) {
        SetWindowPos(m_handle, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style != m_borderStyle) {
        m_borderStyle = style;
        ApplyStyles();
    }
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons != m_borderIcons) {
        m_borderIcons = icons;
        ApplyStyles();
    }
}

void TForm::ChangeStyle(DWORD add, DWORD remove)
{
    m_styleAdd = (m_styleAdd | add) & ~remove;
    m_styleRemove = (m_styleRemove | remove) & ~add;
    ApplyStyles();
}

void TForm::ChangeExStyle(DWORD add, DWORD remove)
{
    m_exStyleAdd = (m_exStyleAdd | add) & ~remove;
    m_exStyleRemove = (m_exStyleRemove | remove) & ~add;
    ApplyStyles();
}

void TForm::MakeTopmost()
{
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetOwnerWindow(HWND owner)
{
    m_ownerWindow = owner;
    if (m_handle) {
        HWND effective = owner;
        if (!effective && Application()) {
            effective = Application()->Handle();
        }
        SetWindowLongPtrA(m_handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(effective));
    }
}

SIZE TForm::FrameSize()
{
    DWORD style;
    DWORD exStyle;
    if (m_handle) {
        style = static_cast<DWORD>(GetWindowLongA(m_handle, GWL_STYLE));
        exStyle = static_cast<DWORD>(GetWindowLongA(m_handle, GWL_EXSTYLE));
    } else {
        TCreateParams params;
        CreateParams(params);
        style = params.Style;
        exStyle = params.ExStyle;
    }
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void TForm::SetClientSize(int width, int height)
{
    SIZE frame = FrameSize();
    SetBounds(Left(), Top(), width + frame.cx, height + frame.cy);
}

int TForm::ClientWidth() const
{
    if (m_handle) {
        return TWinControl::ClientWidth();
    }
    return Width() - const_cast<TForm*>(this)->FrameSize().cx;
}

int TForm::ClientHeight() const
{
    if (m_handle) {
        return TWinControl::ClientHeight();
    }
    return Height() - const_cast<TForm*>(this)->FrameSize().cy;
}

void TForm::ApplyPosition()
{
    int left = Left();
    int top = Top();
    switch (m_position) {
    case TPosition::poDesigned:
        return;
    case TPosition::poScreenCenter:
        left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
        break;
    case TPosition::poDesktopCenter:
        left = GetSystemMetrics(SM_XVIRTUALSCREEN) +
               (GetSystemMetrics(SM_CXVIRTUALSCREEN) - Width()) / 2;
        top = GetSystemMetrics(SM_YVIRTUALSCREEN) +
              (GetSystemMetrics(SM_CYVIRTUALSCREEN) - Height()) / 2;
        break;
    case TPosition::poMainFormCenter: {
        TForm* main = Application() ? Application()->MainForm() : nullptr;
        if (!main || main == this) {
            left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
            top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
        } else {
            left = main->Left() + (main->Width() - Width()) / 2;
            top = main->Top() + (main->Height() - Height()) / 2;
        }
        break;
    }
    }
    SetBounds(left, top, Width(), Height());
}

void TForm::SetVisible(bool visible)
{
    if (visible == m_visible && (!m_handle || (IsWindowVisible(m_handle) != FALSE) == visible)) {
        return;
    }
    if (visible) {
        HandleNeeded();
        if (!m_positioned) {
            m_positioned = true;
            ApplyPosition();
        }
        m_visible = true;
        DoShow();
        if (m_handle) {
            ShowWindow(m_handle, SW_SHOW);
        }
    } else {
        m_visible = false;
        if (m_handle) {
            ShowWindow(m_handle, SW_HIDE);
        }
        DoHide();
    }
}

bool TForm::Showing() const
{
    return m_visible && m_handle && IsWindowVisible(m_handle);
}

bool TForm::Active() const
{
    return m_handle && GetActiveWindow() == m_handle;
}

void TForm::DoShow()
{
    if (OnShow) {
        OnShow(this);
    }
}

void TForm::DoHide()
{
    if (OnHide && !IsDestroying()) {
        OnHide(this);
    }
}

void TForm::DoClose(TCloseAction& action)
{
    if (OnClose) {
        OnClose(this, action);
    }
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) {
        OnCloseQuery(this, canClose);
    }
    return canClose;
}

void TForm::Close()
{
    if (m_modal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) {
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) {
        return;
    }
    TApplication* application = Application();
    if (application && application->MainForm() == this) {
        application->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        if (m_handle) {
            ShowWindow(m_handle, SW_MINIMIZE);
        }
        break;
    case TCloseAction::caFree:
        Release();
        break;
    case TCloseAction::caNone:
        break;
    }
}

void TForm::Release()
{
    if (m_handle) {
        PostMessageA(m_handle, CM_RELEASE, 0, 0);
    }
}

void TForm::SetModalResult(TModalResult result)
{
    m_modalResult = result;
    if (m_modal && m_handle) {
        // Wakes the modal loop when the result was set outside a message of this thread.
        PostMessageA(m_handle, WM_NULL, 0, 0);
    }
}

void TForm::CloseModal()
{
    TCloseAction action = TCloseAction::caNone;
    if (CloseQuery()) {
        action = TCloseAction::caHide;
        DoClose(action);
    }
    if (action == TCloseAction::caNone) {
        m_modalResult = mrNone;
    } else if (action == TCloseAction::caFree) {
        Release();
    }
}

TModalResult TForm::ShowModal()
{
    if (m_visible || m_modal || !m_enabled) {
        throw EInvalidOperation("Cannot make a visible window modal");
    }
    HandleNeeded();
    if (GetCapture()) {
        ReleaseCapture();
    }
    HWND previousActive = GetActiveWindow();
    m_modal = true;
    m_modalResult = mrNone;
    try {
        ModalScope scope(m_handle);
        Show();
        while (m_modalResult == mrNone) {
            if (!PumpMessage()) {
                // The application is ending.
                m_modalResult = mrCancel;
                break;
            }
            if (m_modalResult != mrNone) {
                CloseModal();
            }
        }
        // Enable the others before hiding, so the activation has somewhere to go.
        scope.Restore();
        Hide();
    } catch (...) {
        m_modal = false;
        Hide();
        throw;
    }
    m_modal = false;
    if (previousActive && previousActive != m_handle && IsWindow(previousActive)) {
        SetActiveWindow(previousActive);
    }
    return m_modalResult;
}

void TForm::SetActiveControl(TWinControl* control)
{
    m_activeControl = control;
    if (control && Showing() && control->CanFocus()) {
        ::SetFocus(control->Handle());
    }
}

void TForm::ForgetControl(TControl* control)
{
    for (TControl* c = m_activeControl; c; c = c->Parent()) {
        if (c == control) {
            m_activeControl = nullptr;
            return;
        }
    }
}

void TForm::SelectNext(TWinControl* current, bool forward)
{
    std::vector<TWinControl*> order;
    // Depth first along the tab lists: a container's children follow the container.
    std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
        for (TWinControl* child : parent->m_tabList) {
            order.push_back(child);
            collect(child);
        }
    };
    collect(this);
    std::vector<TWinControl*> stops;
    for (TWinControl* control : order) {
        if (control->TabStop() && control->CanFocus()) {
            stops.push_back(control);
        }
    }
    if (stops.empty()) {
        return;
    }
    int count = static_cast<int>(stops.size());
    int index = -1;
    for (int i = 0; i < count; ++i) {
        if (stops[i] == current) {
            index = i;
        }
    }
    int next;
    if (index < 0) {
        next = forward ? 0 : count - 1;
    } else {
        next = (index + (forward ? 1 : count - 1)) % count;
    }
    stops[next]->SetFocus();
}

void TForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case CM_RELEASE:
        delete this;
        return;
    case WM_ACTIVATE:
        if (LOWORD(message.WParam) != WA_INACTIVE) {
            if (OnActivate) {
                OnActivate(this);
            }
            if (m_activeControl && m_activeControl->CanFocus() &&
                m_activeControl->HandleAllocated()) {
                ::SetFocus(m_activeControl->Handle());
                message.Result = 0;
                return;
            }
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
        break;
    case WM_ACTIVATEAPP:
        if (TApplication* application = Application()) {
            application->ApplicationActivated(message.WParam != 0);
        }
        break;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application() &&
            Application()->MainForm() == this) {
            Application()->Minimize();
            message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

} // namespace lumo
