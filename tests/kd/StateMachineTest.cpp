// The state machine of the skinned controls as sequences of pictures and events, driven by real
// pointer input and posted key messages.
#include "tests/kd/KdTestSupport.h"

#include <algorithm>

namespace {

using lumo::TColor;

const char* const kButtonStates[] = {"raised", "sunken", "focused", "disabled"};
const char* const kBrickStates[] = {"normal", "focused", "disabled"};
const std::vector<TColor> kButtonColors = {0x2020C0, 0x20C020, 0xC02020, 0x808080};

// Notes every change of the requested state by name.
template <typename Base> class Probe : public Base
{
public:
    Probe(lumo::TComponent* owner, std::vector<std::string>& journal, const char* const* names)
        : Base(owner), m_journal(journal), m_names(names)
    {}
    void ShowBitmap(int state) override
    {
        if (state != this->RequestedState()) {
            m_journal.push_back(m_names[state]);
        }
        Base::ShowBitmap(state);
    }

private:
    std::vector<std::string>& m_journal;
    const char* const* m_names;
};

class StateMachineTest : public kdtest::KdTest
{
protected:
    Probe<KdButton>* AddButton()
    {
        auto* button = new Probe<KdButton>(m_form, m_journal, kButtonStates);
        button->SetParent(m_form);
        button->SetBounds(20, 20, 10, 10);
        kdtest::SetStates(*button, 60, 30, kButtonColors);
        Watch(*button, "b");
        return button;
    }
    // A point on the form away from every control.
    POINT Outside() { return ScreenOf(*m_form, 300, 250); }
    // Moves off a control that holds no capture: the system reports the departure.
    void LeaveTo(POINT screen, const std::string& expectedLast)
    {
        MoveTo(screen);
        EXPECT_TRUE(PumpUntil([&] {
            return !m_journal.empty() && m_journal.back() == expectedLast;
        })) << "no "
            << expectedLast;
    }
    TColor ShownColor(lumo::TWinControl& control)
    {
        return formstest::Render(control)->PixelColor(5, 5);
    }
};

TEST_F(StateMachineTest, PressDraggedOffAndBackClicksOnceWhenReleasedInside)
{
    auto* button = AddButton();
    ShowForm();
    MoveTo(*button, 10, 10);
    EXPECT_EQ(kButtonColors[2], ShownColor(*button)) << "hover shows the focused picture";
    LeftDown();
    MoveTo(Outside());
    MoveTo(*button, 12, 10);
    EXPECT_EQ(kButtonColors[1], ShownColor(*button));
    LeftUp();
    LeaveTo(Outside(), "b leave");
    std::vector<std::string> expected = {"focused", "b enter", "sunken",  "raised", "sunken",
                                         "b enter", "focused", "b click", "raised", "b leave"};
    EXPECT_EQ(expected, m_journal);
    EXPECT_FALSE(button->MouseInside() || button->ButtonHeld() || button->MousePressed());
}

TEST_F(StateMachineTest, ReleaseOutsideOrLostCaptureIsNoClick)
{
    auto* button = AddButton();
    ShowForm();
    MoveTo(*button, 10, 10);
    LeftDown();
    MoveTo(Outside());
    LeftUp();
    std::vector<std::string> expected = {"focused", "b enter", "sunken", "raised", "b leave"};
    EXPECT_EQ(expected, m_journal) << "leaving while pressed is told at the release";

    // The system takes the capture away in the middle of a press.
    m_journal.clear();
    MoveTo(*button, 10, 10);
    LeftDown();
    SetCapture(m_form->Handle());
    PumpFor(20);
    MoveTo(*button, 11, 10);
    LeftUp();
    ReleaseCapture();
    expected = {"focused", "b enter", "sunken", "raised"};
    EXPECT_EQ(expected, m_journal);
    EXPECT_EQ(0, std::count(m_journal.begin(), m_journal.end(), "b click"));
}

TEST_F(StateMachineTest, WithoutShowMouseOverHoverChangesNoPicture)
{
    auto* button = AddButton();
    button->SetShowMouseOver(false);
    ShowForm();
    MoveTo(*button, 10, 10);
    LeftDown();
    LeftUp();
    LeaveTo(Outside(), "b leave");
    std::vector<std::string> expected = {"b enter", "sunken", "raised", "b click", "b leave"};
    EXPECT_EQ(expected, m_journal);
}

TEST_F(StateMachineTest, BrickShowsHoverButNoPress)
{
    auto* brick = new Probe<KdBrick>(m_form, m_journal, kBrickStates);
    brick->SetParent(m_form);
    brick->SetLeft(20);
    kdtest::SetStates(*brick, 60, 30, {0x2020C0, 0xC02020, 0x808080});
    Watch(*brick, "k");
    EXPECT_TRUE(brick->ClicksDisabled());
    ShowForm();
    MoveTo(*brick, 10, 10);
    LeftDown();
    EXPECT_FALSE(brick->MousePressed());
    LeftUp();
    LeaveTo(Outside(), "k leave");
    std::vector<std::string> expected = {"focused", "k enter", "k click", "normal", "k leave"};
    EXPECT_EQ(expected, m_journal);

    // Neither hover nor clicks: the pointer is not followed at all.
    m_journal.clear();
    brick->SetShowMouseOver(false);
    MoveTo(*brick, 10, 10);
    MoveTo(Outside());
    EXPECT_TRUE(m_journal.empty());
}

TEST_F(StateMachineTest, DisablingCancelsHoverAndShowsTheDisabledPicture)
{
    auto* button = AddButton();
    ShowForm();
    MoveTo(*button, 10, 10);
    button->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(button->Handle()));
    EXPECT_EQ(kButtonColors[3], ShownColor(*button));
    button->SetEnabled(false);
    button->SetEnabled(true);
    MoveTo(*button, 11, 11);
    std::vector<std::string> expected = {"focused", "b enter", "raised", "disabled",
                                         "raised",  "focused", "b enter"};
    EXPECT_EQ(expected, m_journal);

    // A focused control that is disabled keeps the disabled picture.
    m_journal.clear();
    button->SetTabStop(true);
    button->SetFocus();
    button->SetEnabled(false);
    EXPECT_EQ(3, button->RequestedState());
    EXPECT_EQ(kButtonColors[3], ShownColor(*button));
}

TEST_F(StateMachineTest, KeysPressAndSpaceClicks)
{
    auto* button = AddButton();
    button->SetTabStop(true);
    ShowForm();
    button->SetFocus();
    HWND window = button->Handle();
    // Sent, not posted: no translation may add characters of its own.
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageA(window, WM_KEYUP, VK_RETURN, 0xC0000001);
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageA(window, WM_CHAR, ' ', 1);
    SendMessageA(window, WM_KEYUP, VK_SPACE, 0xC0000001);
    SetFocus(m_form->Handle());
    std::vector<std::string> expected = {"focused", "sunken",  "focused", "sunken",
                                         "b click", "focused", "raised"};
    EXPECT_EQ(expected, m_journal);
}

TEST_F(StateMachineTest, OnlyTheRaisedPictureServesEveryState)
{
    auto* button = new KdButton(m_form);
    button->SetParent(m_form);
    lumo::TBitmap raised;
    formstest::Fill(raised, 40, 20, 0x3050A0);
    button->Appearance().SetRaisedBmp(raised);
    ShowForm();
    void (KdButton::*shows[])() = {&KdButton::ShowSunken, &KdButton::ShowFocused,
                                   &KdButton::ShowDisabled, &KdButton::ShowRaised};
    for (auto show : shows) {
        (button->*show)();
        EXPECT_EQ(0, button->ShownState());
        EXPECT_EQ(0x3050A0, ShownColor(*button));
    }
    // A picture that arrives for the requested state is shown at once.
    button->ShowFocused();
    lumo::TBitmap focused;
    formstest::Fill(focused, 40, 20, 0x00A0A0);
    button->Appearance().SetFocusedBmp(focused);
    EXPECT_EQ(2, button->ShownState());
    EXPECT_EQ(0x00A0A0, ShownColor(*button));
}

TEST_F(StateMachineTest, StatePictureZeroFixesTheSize)
{
    auto* button = new KdButton(m_form);
    button->SetParent(m_form);
    button->SetBounds(10, 10, 30, 30);
    ShowForm();
    lumo::TBitmap raised;
    formstest::Fill(raised, 100, 40, 0xFF00FF);
    button->Appearance().SetRaisedBmp(raised);
    EXPECT_EQ(100, button->Width());
    EXPECT_EQ(40, button->Height());
    button->SetBounds(15, 12, 300, 200);
    SetWindowPos(button->Handle(), nullptr, 0, 0, 7, 7, SWP_NOMOVE | SWP_NOZORDER);
    RECT window;
    GetWindowRect(button->Handle(), &window);
    EXPECT_EQ(15, button->Left());
    EXPECT_EQ(100, button->Width());
    EXPECT_EQ(40, button->Height());
    EXPECT_EQ(100, window.right - window.left);
    EXPECT_EQ(40, window.bottom - window.top);
    // Without a picture any size goes.
    button->SetStateBitmap(0, nullptr);
    button->SetBounds(15, 12, 30, 20);
    EXPECT_EQ(30, button->Width());
    EXPECT_EQ(20, button->Height());
}

} // namespace
