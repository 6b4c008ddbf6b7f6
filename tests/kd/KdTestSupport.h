#pragma once
// Equipment of the skinned-control tests: a shown form per test, real pointer input (the
// system moves the cursor and queues the mouse messages), waits for the messages to be handled,
// and pictures of one colour per state.
#include "lumo/Kd/Kd.h"
#include "tests/forms/FormsTestSupport.h"

#include <string>
#include <vector>

namespace kdtest {

// Paints a rectangle of a bitmap in one colour.
void FillRect(lumo::TBitmap& bitmap, const RECT& area, lumo::TColor color);
// Sets the state bitmaps of a control to w x h pictures of the given colours (state 0 first).
void SetStates(KdCustomControl& control, int width, int height,
               const std::vector<lumo::TColor>& colors);

class KdTest : public formstest::AppTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows m_form (topmost, at its bounds) and waits until it is on screen.
    void ShowForm();
    // Screen point of a client point of a control.
    POINT ScreenOf(lumo::TControl& control, int x, int y) const;

    // Real input: the cursor moves, the button goes down or up where the cursor is. Each
    // returns once the window under the pointer (or holding the capture) has handled the
    // resulting message.
    void MoveTo(POINT screen);
    void MoveTo(lumo::TControl& control, int x, int y) { MoveTo(ScreenOf(control, x, y)); }
    void LeftDown();
    void LeftUp();
    void RightDown();
    void RightUp();
    // Down and up at a point.
    void ClickAt(lumo::TControl& control, int x, int y);
    // Moves the pointer off every window of the test.
    void Park();
    // A left click as the display delivers it: through the X server under Wine (so that the
    // X server's own idea of window shapes decides where it lands), else through SendInput.
    // Waits until the button-up message was handled.
    void DisplayClick(POINT screen);

    // The journal of the test: control events and state changes, in order.
    std::vector<std::string> m_journal;
    void Note(const std::string& line) { m_journal.push_back(line); }
    // Records OnMouseEnter, OnMouseLeave and OnClick of a control as "<name> enter" and so on.
    void Watch(lumo::TControl& control, const std::string& name);

    lumo::TForm* m_form = nullptr;

private:
    void SendButton(DWORD flags, UINT expected1, UINT expected2);

    // Messages handled so far, to wait for the next one of a kind.
    std::vector<MSG> m_handled;
};

} // namespace kdtest
