#pragma once
// A form: a top-level window whose window class name is the form's class name (declare it
// with LUMO_CLASS_NAME), with caption, border style, client size, position, owner window,
// extra styles, a close handler and modal showing.
#include "lumo/Forms/WinControl.h"

namespace lumo {

enum class TFormBorderStyle
{
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow
};

using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 1;
constexpr TBorderIcons biMinimize = 2;
constexpr TBorderIcons biMaximize = 4;

// Where a form goes when it is shown the first time.
enum class TPosition
{
    poDesigned,       // Left and Top as set
    poScreenCenter,   // centre of the primary screen
    poDesktopCenter,  // centre of the whole desktop (all monitors)
    poMainFormCenter, // centre of the application's main form
};

// What closing does: nothing, hide, free the form (later, from the message loop) or minimise.
enum class TCloseAction
{
    caNone,
    caHide,
    caFree,
    caMinimize
};

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TWinControl
{
public:
    LUMO_CLASS_NAME(TForm)
    // Forms are hidden when created; their owner is normally the application.
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Forms are top-level windows: they have no parent.
    void SetParent(TWinControl* parent) override;

    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return m_borderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition position) { m_position = position; }

    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    // Sizes the window so that its client area is width x height.
    void SetClientSize(int width, int height);
    int ClientWidth() const override;
    int ClientHeight() const override;

    // The owner window (the window this one stays above); null means the application window.
    HWND OwnerWindow() const { return m_ownerWindow; }
    void SetOwnerWindow(HWND owner);
    // Extra window styles on top of those of the border style, kept when the window is made
    // again; they apply at once to an existing window.
    void ChangeStyle(DWORD add, DWORD remove);
    void ChangeExStyle(DWORD add, DWORD remove);
    // Puts the window into the topmost band without moving, sizing or activating it.
    void MakeTopmost();

    // A scaled form adapts its controls to the screen's pixels per inch (designed at 96).
    bool Scaled() const { return m_scaled; }
    void SetScaled(bool scaled) { m_scaled = scaled; }

    void SetVisible(bool visible) override;
    bool Showing() const override;
    // The active window of the application.
    bool Active() const;

    // Closes the form: a modal form ends with mrCancel; otherwise OnCloseQuery may refuse,
    // OnClose chooses the action, and closing the main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages already queued for it have been handled.
    void Release();

    // Shows the form and runs a message loop until ModalResult becomes non-zero (or the
    // application ends: mrCancel); every other window of the thread is disabled meanwhile.
    // Throws EInvalidOperation for a form that is already visible.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult result);
    bool IsModal() const { return m_modal; }

    TWinControl* ActiveControl() const { return m_activeControl; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) tab stop after current, wrapping around.
    void SelectNext(TWinControl* current, bool forward);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    friend class TWinControl;

    // Drops the active control when it (or a container of it) leaves the form.
    void ForgetControl(TControl* control);
    void ApplyPosition();
    void ApplyStyles();
    void CloseModal();
    void ScaleForScreen();
    SIZE FrameSize();

    TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
    TBorderIcons m_borderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition m_position = TPosition::poDesigned;
    HWND m_ownerWindow = nullptr;
    DWORD m_styleAdd = 0;
    DWORD m_styleRemove = 0;
    DWORD m_exStyleAdd = 0;
    DWORD m_exStyleRemove = 0;
    bool m_scaled = true;
    bool m_scaleDone = false;
    bool m_positioned = false;
    bool m_modal = false;
    TModalResult m_modalResult = mrNone;
    TWinControl* m_activeControl = nullptr;
};

// Framework-internal message that frees a released form.
constexpr UINT CM_RELEASE = WM_APP + 0x3F01;

} // namespace lumo
