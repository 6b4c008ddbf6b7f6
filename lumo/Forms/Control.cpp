#include "lumo/Forms/Control.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Form.h"
#include "lumo/Forms/WinControl.h"

namespace lumo {

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    m_font.OnChange = [this](TObject*) {
        if (!m_fontFromParent) {
            m_parentFont = false;
        }
        FontChanged();
    };
}

TControl::~TControl()
{
    MarkDestroying();
    if (TApplication* application = Application()) {
        application->ControlDestroyed(this);
    }
    if (m_parent) {
        m_parent->RemoveControl(this);
        m_parent = nullptr;
    }
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == m_parent) {
        return;
    }
    if (m_parent) {
        m_parent->RemoveControl(this);
    }
    m_parent = parent;
    if (m_parent) {
        m_parent->InsertControl(this);
        ParentFontChanged();
    }
}

RECT TControl::BoundsRect() const
{
    return RECT{m_left, m_top, m_left + m_width, m_top + m_height};
}

void TControl::StoreBounds(int left, int top, int width, int height)
{
    bool resized = width != m_width || height != m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    if (resized) {
        Resize();
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (width < 0) {
        width = 0;
    }
    if (height < 0) {
        height = 0;
    }
    if (left == m_left && top == m_top && width == m_width && height == m_height) {
        return;
    }
    Invalidate();
    StoreBounds(left, top, width, height);
    Invalidate();
}

POINT TControl::ClientToScreen(POINT point) const
{
    point.x += m_left;
    point.y += m_top;
    return m_parent ? m_parent->ClientToScreen(point) : point;
}

POINT TControl::ScreenToClient(POINT point) const
{
    POINT origin = ClientToScreen(POINT{0, 0});
    return POINT{point.x - origin.x, point.y - origin.y};
}

void TControl::SetVisible(bool visible)
{
    if (visible == m_visible) {
        return;
    }
    if (!visible) {
        Invalidate();
    }
    m_visible = visible;
    if (visible) {
        Invalidate();
    }
}

bool TControl::Showing() const
{
    return m_visible && m_parent && m_parent->Showing();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled != m_enabled) {
        m_enabled = enabled;
        Invalidate();
    }
}

void TControl::SetCaption(const std::string& caption)
{
    if (caption != m_caption) {
        m_caption = caption;
        CaptionChanged();
    }
}

void TControl::SetParentFont(bool parentFont)
{
    m_parentFont = parentFont;
    ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (m_parentFont && m_parent) {
        m_fontFromParent = true;
        m_font.Assign(m_parent->Font());
        m_fontFromParent = false;
    }
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        Invalidate();
    }
}

void TControl::Invalidate()
{
    if (m_parent && m_visible && m_width > 0 && m_height > 0) {
        m_parent->InvalidateRect(BoundsRect());
    }
}

void TControl::Repaint()
{
    Invalidate();
    if (m_parent && m_parent->HandleAllocated()) {
        UpdateWindow(m_parent->Handle());
    }
}

void TControl::BringToFront()
{
    if (m_parent) {
        m_parent->MoveControl(this, true);
    }
}

void TControl::SendToBack()
{
    if (m_parent) {
        m_parent->MoveControl(this, false);
    }
}

bool TControl::HitTest(int x, int y) const
{
    return x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
}

TForm* TControl::ParentForm() const
{
    const TControl* control = this;
    while (control->m_parent) {
        control = control->m_parent;
    }
    return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::DispatchMouseDown(TMouseButton button, TShiftState shift, int x, int y,
                                 bool isDouble)
{
    if (IsDestroying()) {
        return;
    }
    if (TApplication* application = Application()) {
        application->CancelHint();
    }
    if (isDouble) {
        shift |= ssDouble;
        if (button == TMouseButton::mbLeft) {
            DblClick();
        }
    } else if (button == TMouseButton::mbLeft) {
        m_clicked = true;
    }
    MouseDown(button, shift, x, y);
}

void TControl::DispatchMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (IsDestroying()) {
        return;
    }
    if (button == TMouseButton::mbLeft && m_clicked) {
        m_clicked = false;
        if (HitTest(x, y)) {
            Click();
        }
    }
    if (!IsDestroying()) {
        MouseUp(button, shift, x, y);
    }
}

void TControl::DispatchMouseMove(TShiftState shift, int x, int y)
{
    if (!IsDestroying()) {
        MouseMove(shift, x, y);
    }
}

void TControl::DispatchMouseEnter()
{
    if (IsDestroying()) {
        return;
    }
    if (TApplication* application = Application()) {
        application->HintMouseEnter(this);
    }
    MouseEnter();
}

void TControl::DispatchMouseLeave()
{
    if (IsDestroying()) {
        return;
    }
    if (TApplication* application = Application()) {
        application->HintMouseLeave(this);
    }
    MouseLeave();
}

void TControl::Paint(TCanvas&) {}

void TControl::Click()
{
    if (OnClick) {
        OnClick(this);
    }
}

void TControl::DblClick()
{
    if (OnDblClick) {
        OnDblClick(this);
    }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown) {
        OnMouseDown(this, button, shift, x, y);
    }
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) {
        OnMouseUp(this, button, shift, x, y);
    }
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) {
        OnMouseMove(this, shift, x, y);
    }
}

void TControl::MouseEnter()
{
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
}

void TControl::MouseLeave()
{
    if (OnMouseLeave) {
        OnMouseLeave(this);
    }
}

void TControl::Resize()
{
    if (OnResize && !IsDestroying()) {
        OnResize(this);
    }
}

} // namespace lumo
