#pragma once
// The control base: position and size, visibility, enabling, parent, hint, font, colour and
// the click, mouse and enter/leave events; and the graphic (windowless) control, which its
// parent paints in z-order.
#include "lumo/Forms/Canvas.h"
#include "lumo/Forms/Component.h"

#include <string>

namespace lumo {

class TWinControl;
class TForm;

class TControl : public TComponent
{
public:
    LUMO_CLASS_NAME(TControl)
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Windowed controls have a window of their own; graphic controls are drawn by the parent.
    virtual bool IsWindowed() const { return false; }

    TWinControl* Parent() const { return m_parent; }
    // Appends the control at the top of the new parent's z-order (null: no parent).
    virtual void SetParent(TWinControl* parent);

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Position relative to the parent's client area (top-level windows: the screen).
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, m_top, m_width, m_height); }
    void SetTop(int top) { SetBounds(m_left, top, m_width, m_height); }
    void SetWidth(int width) { SetBounds(m_left, m_top, width, m_height); }
    void SetHeight(int height) { SetBounds(m_left, m_top, m_width, height); }
    RECT BoundsRect() const;
    virtual int ClientWidth() const { return m_width; }
    virtual int ClientHeight() const { return m_height; }
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
    // Client point to screen and back.
    virtual POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;

    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all parents (and the top one has its window shown).
    virtual bool Showing() const;
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);

    const std::string& Caption() const { return m_caption; }
    virtual void SetCaption(const std::string& caption);

    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& hint) { m_hint = hint; }
    // Whether the hint pops up while the pointer rests on the control (default true).
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show) { m_showHint = show; }

    // The font; a control takes its parent's font (and its later changes) until its own font
    // is changed.
    TFont& Font() { return m_font; }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool parentFont);
    TColor Color() const { return m_color; }
    virtual void SetColor(TColor color);

    // With double clicks off, a double click arrives as a second press and click.
    bool DoubleClicks() const { return m_doubleClicks; }
    void SetDoubleClicks(bool on) { m_doubleClicks = on; }
    // An opaque control paints all its area itself: no background is painted under it.
    bool Opaque() const { return m_opaque; }
    void SetOpaque(bool opaque) { m_opaque = opaque; }

    // Requests a repaint of the control's area.
    virtual void Invalidate();
    // Repaints now.
    virtual void Repaint();
    // Z-order among the parent's controls (graphic controls stay below windowed ones).
    void BringToFront();
    void SendToBack();

    // Whether a point (client coordinates) belongs to the control for the mouse.
    virtual bool HitTest(int x, int y) const;

    // The form the control sits on (itself for a form), or null.
    TForm* ParentForm() const;

    // The framework's entry points for mouse input, called with client coordinates by the
    // window that received the message. They keep the click state and call the virtual
    // handlers below; a click is delivered when the left button goes up inside the control
    // after it went down there.
    void DispatchMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool isDouble);
    void DispatchMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void DispatchMouseMove(TShiftState shift, int x, int y);
    void DispatchMouseEnter();
    void DispatchMouseLeave();
    // Drops a pending click (the capture was lost).
    void CancelClick() { m_clicked = false; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

    // Paints the control on a canvas whose origin is the control's top-left corner.
    virtual void Paint(TCanvas& canvas);

    // Runs the click (OnClick).
    virtual void Click();

protected:
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The pointer arrived over / left the control (OnMouseEnter, OnMouseLeave).
    virtual void MouseEnter();
    virtual void MouseLeave();
    // After the size changed (OnResize).
    virtual void Resize();
    virtual void FontChanged();
    virtual void CaptionChanged() { Invalidate(); }
    // The parent's font changed: take it over when ParentFont is set.
    void ParentFontChanged();
    // Stores new bounds without touching any window.
    void StoreBounds(int left, int top, int width, int height);

    bool m_visible = true;
    bool m_enabled = true;

private:
    friend class TWinControl;

    TWinControl* m_parent = nullptr;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    std::string m_caption;
    std::string m_hint;
    bool m_showHint = true;
    TFont m_font;
    bool m_parentFont = true;
    bool m_fontFromParent = false;
    TColor m_color = clBtnFace;
    bool m_doubleClicks = true;
    bool m_opaque = false;
    bool m_clicked = false;
};

// A control without a window: its parent paints it (in z-order, so transparent parts show
// what lies below) and passes it the mouse input on its area.
class TGraphicControl : public TControl
{
public:
    LUMO_CLASS_NAME(TGraphicControl)
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
};

} // namespace lumo
