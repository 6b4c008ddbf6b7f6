#pragma once
// The mouse and keyboard state machine of every skinned control: pressed, hovered, focused,
// disabled, told to the concrete control through the Show... operations. The pointer's
// arrival and departure fire OnMouseEnter and OnMouseLeave (not while a press is dragged off
// the control).
#include "lumo/Forms/WinControl.h"

class KdControl : public lumo::TWinControl
{
public:
    LUMO_CLASS_NAME(KdControl)
    // clicksDisabled: the control shows presses (and delivers keyboard clicks) only when false.
    KdControl(lumo::TComponent* owner, bool clicksDisabled);

    // Show the focused picture while the pointer hovers (default true).
    bool ShowMouseOver() const { return m_showMouseOver; }
    void SetShowMouseOver(bool show);
    // The control does not react to presses; it may still show hover.
    bool ClicksDisabled() const { return m_clicksDisabled; }
    void SetClicksDisabled(bool disabled);
    void SetEnabled(bool enabled) override;

    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    // The four pictures; the concrete controls choose a state bitmap for each.
    virtual void ShowRaised() {}
    virtual void ShowDisabled() { ShowRaised(); }
    virtual void ShowFocused() { ShowRaised(); }
    virtual void ShowSunken() { ShowRaised(); }
    // Inside the client rectangle.
    bool HitTest(int x, int y) const override;

    // What the state machine holds now.
    bool MouseInside() const { return m_mouseInside; }
    bool KeyPressed() const { return m_keyPressed; }
    bool MousePressed() const { return m_mousePressed; }
    bool ButtonHeld() const { return m_buttonHeld; }

    void WndProc(lumo::TMessage& message) override;

protected:
    // The system took the mouse capture away during a press.
    virtual void CaptureChanged();

    void DoEnter() override;
    void DoExit() override;
    void KeyDown(WORD& key, lumo::TShiftState shift) override;
    void KeyUp(WORD& key, lumo::TShiftState shift) override;
    void KeyPress(char& key) override;
    // OnMouseEnter and OnMouseLeave fire at the state machine's moments, not the framework's.
    void MouseEnter() override {}
    void MouseLeave() override {}

    // The common actions.
    void Press();
    void Release();
    void CancelPress();
    void CancelHover();
    void Enter();
    void Leave();

private:
    void LeftButtonDown(int x, int y);
    void LeftButtonUp(int x, int y);
    void MouseMoved(int x, int y);
    void PointerGone();
    void TrackLeave();

    bool m_showMouseOver = true;
    bool m_mouseInside = false;
    bool m_keyPressed = false;
    bool m_mousePressed = false;
    bool m_buttonHeld = false;
    bool m_clicksDisabled;
};
