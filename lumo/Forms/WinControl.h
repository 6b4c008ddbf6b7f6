#pragma once
// The windowed control: a child window of its own, with focus, tab stop, keyboard events and
// its own message handling; it paints its graphic children in z-order and routes the mouse to
// them. Forms and the skinned controls build on it.
#include "lumo/Forms/Control.h"

#include <string>
#include <vector>

namespace lumo {

// What CreateWindowExA gets; classes adjust it in CreateParams.
struct TCreateParams
{
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
};

class TWinControl : public TControl
{
public:
    LUMO_CLASS_NAME(TWinControl)
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }

    // The window, created with its children when first asked for (its window class name is
    // ClassName()). Throws EOutOfResources when the window cannot be made.
    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the window (and so the children's windows); the objects stay.
    void DestroyHandle();
    // The framework control behind a window of this process, or null.
    static TWinControl* FromHandle(HWND window);

    // The parent's children in z-order, bottom first.
    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int index) const { return m_controls[index]; }
    // The topmost visible graphic child containing the client point, or null; disabled children
    // are skipped unless allowDisabled.
    TControl* ControlAtPos(POINT point, bool allowDisabled = false) const;

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetCaption(const std::string& caption) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    POINT ClientToScreen(POINT point) const override;
    void Invalidate() override;
    void Repaint() override;
    // Invalidates part of the client area.
    void InvalidateRect(const RECT& rect);

    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool tabStop);
    // Position among the parent's windowed children for the Tab key.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool Focused() const;
    // Visible and enabled, up to the form.
    bool CanFocus() const;
    // Gives the control the keyboard focus (or makes it the form's active control while the
    // form is not shown).
    virtual void SetFocus();

    // Paints the client area and all children onto dc at (x, y), as the screen would show it.
    void PaintTo(HDC dc, int x, int y);

    // Sends a message to the window (created if needed).
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // The window procedure of this control. Override to handle messages of a class and pass
    // the rest to the base class; DefaultHandler gives the system's default.
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

protected:
    virtual void CreateParams(TCreateParams& params);
    // Called after the window (with its children) exists.
    virtual void CreateWnd() {}
    // Paints background (unless opaque), Paint and the graphic children onto dc; clip is the
    // area to paint in client coordinates.
    virtual void PaintWindow(HDC dc, const RECT& clip);
    void PaintControls(HDC dc, const RECT& clip);

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // Focus gained (OnEnter) and lost (OnExit).
    virtual void DoEnter();
    virtual void DoExit();

    void BeforeDestruction() override;
    void FontChanged() override;
    // Reads the window's position back into the stored bounds.
    virtual void UpdateBoundsFromWindow();
    // The window's rectangle in the coordinates that Left and Top use.
    virtual RECT WindowBounds() const;

    HWND m_handle = nullptr;

private:
    friend class TControl;
    friend class TForm;
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateHandle();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void MoveControl(TControl* control, bool toFront);
    void MarkTreeDestroying();
    void PaintHandler();
    void HandleMouse(TMessage& message);
    void UpdateMouseControl(POINT point, bool inside);
    TControl* MouseTarget(POINT point) const;

    std::vector<TControl*> m_controls;
    std::vector<TWinControl*> m_tabList;
    bool m_tabStop = false;
    TControl* m_mouseControl = nullptr;
    TControl* m_captureControl = nullptr;
    bool m_trackingLeave = false;
};

} // namespace lumo
