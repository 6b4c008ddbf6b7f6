#include "lumo/Kd/KdControl.h"

#include <windowsx.h>

using namespace lumo;

KdControl::KdControl(TComponent* owner, bool clicksDisabled)
    : TWinControl(owner), m_clicksDisabled(clicksDisabled)
{
    SetOpaque(true);
}

bool KdControl::HitTest(int x, int y) const
{
    return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void KdControl::SetShowMouseOver(bool show)
{
    if (show == m_showMouseOver) {
        return;
    }
    if (!show) {
        CancelHover();
    }
    m_showMouseOver = show;
}

void KdControl::SetClicksDisabled(bool disabled)
{
    if (disabled == m_clicksDisabled) {
        return;
    }
    // Disabling leaves a press in progress drawn pressed until clicks are enabled again.
    if (!disabled) {
        CancelPress();
    }
    m_clicksDisabled = disabled;
}

void KdControl::SetEnabled(bool enabled)
{
    if (enabled == Enabled()) {
        return;
    }
    if (enabled) {
        ShowRaised();
    } else {
        CancelPress();
        CancelHover();
        ShowDisabled();
    }
    TWinControl::SetEnabled(enabled);
}

void KdControl::Press()
{
    if (!Focused() && TabStop()) {
        SetFocus();
    }
    ShowSunken();
}

void KdControl::Release()
{
    if ((m_showMouseOver && m_mouseInside) || Focused()) {
        ShowFocused();
    } else {
        ShowRaised();
    }
}

void KdControl::CancelPress()
{
    if (m_keyPressed || m_mousePressed) {
        Release();
        m_keyPressed = false;
        m_mousePressed = false;
    }
    if (m_buttonHeld) {
        m_buttonHeld = false;
        if (HandleAllocated() && GetCapture() == m_handle) {
            ReleaseCapture();
        }
    }
}

void KdControl::CancelHover()
{
    if (!m_mouseInside) {
        return;
    }
    m_mouseInside = false;
    if (!m_mousePressed && !Focused() && m_showMouseOver) {
        ShowRaised();
    }
    // Hover holds no capture here: the leave notification finds nothing to do any more.
}

void KdControl::Enter()
{
    if (m_buttonHeld) {
        Press();
        m_mousePressed = true;
    } else if (m_showMouseOver && !Focused()) {
        ShowFocused();
    }
    m_mouseInside = true;
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
}

void KdControl::Leave()
{
    m_mouseInside = false;
    if (m_mousePressed) {
        m_mousePressed = false;
        if (!m_keyPressed) {
            Release();
        }
        return;
    }
    if (!Focused() && m_showMouseOver) {
        ShowRaised();
    }
    if (OnMouseLeave) {
        OnMouseLeave(this);
    }
}

void KdControl::TrackLeave()
{
    // The system reports the pointer's departure (WM_MOUSELEAVE); no timer polls for it.
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_handle;
    TrackMouseEvent(&track);
}

void KdControl::LeftButtonDown(int x, int y)
{
    if (!HitTest(x, y)) {
        return;
    }
    if (!m_clicksDisabled) {
        m_buttonHeld = true;
        m_mousePressed = true;
        if (!m_keyPressed) {
            Press();
        }
    } else if (m_showMouseOver) {
        m_buttonHeld = true;
    }
}

void KdControl::LeftButtonUp(int x, int y)
{
    if (!m_clicksDisabled) {
        if (m_mousePressed && !m_keyPressed) {
            Release();
        }
        m_mousePressed = false;
        if (m_buttonHeld && !HitTest(x, y) && GetCapture() == m_handle) {
            // Released outside: losing the capture ends the hover (CaptureChanged), and the
            // framework delivers no click.
            ReleaseCapture();
        }
    }
    m_buttonHeld = false;
    if (m_mouseInside) {
        TrackLeave();
    }
}

void KdControl::MouseMoved(int x, int y)
{
    if (!m_showMouseOver && m_clicksDisabled) {
        return;
    }
    bool inside = HitTest(x, y);
    if (inside && !m_mouseInside) {
        Enter();
    } else if (!inside && m_mouseInside) {
        Leave();
    }
    if (m_mouseInside && !m_buttonHeld) {
        TrackLeave();
    }
}

void KdControl::PointerGone()
{
    // While a button is held the captured moves tell where the pointer is.
    if (m_mouseInside && !m_buttonHeld) {
        Leave();
    }
}

void KdControl::CaptureChanged()
{
    if (m_mouseInside || m_buttonHeld) {
        Leave();
    }
    m_buttonHeld = false;
}

void KdControl::WndProc(TMessage& message)
{
    int x = GET_X_LPARAM(message.LParam);
    int y = GET_Y_LPARAM(message.LParam);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        LeftButtonDown(x, y);
        break;
    case WM_LBUTTONUP:
        LeftButtonUp(x, y);
        break;
    case WM_MOUSEMOVE:
        MouseMoved(x, y);
        break;
    case WM_MOUSELEAVE:
        PointerGone();
        break;
    case WM_CAPTURECHANGED:
        // Only a press holds the capture; the release at its end has cleared button-held.
        if (reinterpret_cast<HWND>(message.LParam) != m_handle && m_buttonHeld) {
            CaptureChanged();
        }
        break;
    default:
        break;
    }
    if (!IsDestroying()) {
        TWinControl::WndProc(message);
    }
}

void KdControl::DoEnter()
{
    if (!(m_keyPressed || m_mousePressed) && !(m_showMouseOver && m_mouseInside)) {
        ShowFocused();
    }
    TWinControl::DoEnter();
}

void KdControl::DoExit()
{
    // A control losing the focus because it is being disabled keeps its disabled picture.
    if (Enabled()) {
        if (m_keyPressed || m_mousePressed) {
            if (!m_mousePressed) {
                Release();
                m_keyPressed = false;
            }
        } else if (!(m_showMouseOver && m_mouseInside)) {
            ShowRaised();
        }
    }
    TWinControl::DoExit();
}

static bool IsClickKey(WORD key)
{
    return key == VK_SPACE || key == VK_RETURN;
}

void KdControl::KeyDown(WORD& key, TShiftState shift)
{
    if (IsClickKey(key) && !m_clicksDisabled) {
        m_keyPressed = true;
        if (!m_mousePressed) {
            Press();
        }
    }
    TWinControl::KeyDown(key, shift);
}

void KdControl::KeyUp(WORD& key, TShiftState shift)
{
    if (IsClickKey(key) && !m_clicksDisabled && !m_mousePressed) {
        if (m_keyPressed) {
            Release();
        }
        m_keyPressed = false;
    }
    TWinControl::KeyUp(key, shift);
}

void KdControl::KeyPress(char& key)
{
    TWinControl::KeyPress(key);
    // Space clicks; Enter only shows the press.
    if (key == ' ' && !m_clicksDisabled) {
        Click();
    }
}
