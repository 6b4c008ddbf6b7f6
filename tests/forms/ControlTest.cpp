#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

using formstest::PostClick;
using formstest::TestBox;
using lumo::TForm;

class ControlTest : public formstest::AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_form = new TForm(m_app.get());
        m_form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        m_form->SetBounds(300, 300, 200, 150);
    }

    // A graphic control that records what reaches it.
    lumo::TImage* AddRecorder(int left, int top, const std::string& name)
    {
        auto* image = new lumo::TImage(m_form);
        image->SetName(name);
        image->SetParent(m_form);
        image->SetBounds(left, top, 50, 50);
        image->OnClick = [this, name](lumo::TObject*) { m_journal.push_back(name + " click"); };
        image->OnDblClick = [this, name](lumo::TObject*) {
            m_journal.push_back(name + " dblclick");
        };
        image->OnMouseDown = [this, name](lumo::TObject*, lumo::TMouseButton button,
                                          lumo::TShiftState shift, int x, int y) {
            m_journal.push_back(name + " down " +
                                (button == lumo::TMouseButton::mbLeft ? "left" : "other") +
                                ((shift & lumo::ssDouble) ? " double " : " ") + std::to_string(x) +
                                "," + std::to_string(y));
        };
        image->OnMouseUp = [this, name](lumo::TObject*, lumo::TMouseButton, lumo::TShiftState,
                                        int x, int y) {
            m_journal.push_back(name + " up " + std::to_string(x) + "," + std::to_string(y));
        };
        image->OnMouseEnter = [this, name](lumo::TObject*) {
            m_journal.push_back(name + " enter");
        };
        image->OnMouseLeave = [this, name](lumo::TObject*) {
            m_journal.push_back(name + " leave");
        };
        return image;
    }

    TForm* m_form = nullptr;
    std::vector<std::string> m_journal;
};

TEST_F(ControlTest, PropertiesOfTheControlBase)
{
    auto* image = new lumo::TImage(m_form);
    image->SetName("Background");
    image->SetTag(32768);
    image->SetHint("Auto Mode");
    image->SetParent(m_form);
    image->SetBounds(1, 2, 3, 4);
    EXPECT_EQ(32768, image->Tag());
    EXPECT_EQ("Auto Mode", image->Hint());
    EXPECT_EQ(m_form, image->Parent());
    EXPECT_EQ(m_form, image->Owner());
    EXPECT_EQ(m_form, image->ParentForm());
    EXPECT_EQ(image, m_form->FindComponent("Background"));
    EXPECT_EQ(nullptr, m_form->FindComponent("Nothing"));
    RECT bounds = image->BoundsRect();
    EXPECT_EQ(1, bounds.left);
    EXPECT_EQ(6, bounds.bottom);
    image->SetLeft(10);
    image->SetWidth(30);
    EXPECT_EQ(10, image->Left());
    EXPECT_EQ(2, image->Top());
    EXPECT_EQ(30, image->Width());
    EXPECT_EQ(4, image->Height());
    EXPECT_EQ(1, m_form->ControlCount());

    auto* box = new TestBox(m_form);
    box->SetParent(m_form);
    box->SetBounds(20, 30, 40, 50);
    m_form->Show();
    RECT window;
    GetWindowRect(box->Handle(), &window);
    EXPECT_EQ(m_form->Left() + 20, window.left);
    EXPECT_EQ(40, window.right - window.left);
    box->SetBounds(25, 35, 45, 55);
    GetWindowRect(box->Handle(), &window);
    EXPECT_EQ(m_form->Top() + 35, window.top);
    EXPECT_EQ(55, window.bottom - window.top);

    box->Hide();
    EXPECT_FALSE(IsWindowVisible(box->Handle()));
    box->Show();
    EXPECT_TRUE(IsWindowVisible(box->Handle()));
    box->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(box->Handle()));
    box->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(box->Handle()));
}

TEST_F(ControlTest, FontIsTakenFromTheParentUntilChanged)
{
    m_form->Font().SetName("Arial");
    auto* label = new lumo::TLabel(m_form);
    label->SetParent(m_form);
    EXPECT_EQ("Arial", label->Font().Name());
    EXPECT_TRUE(label->ParentFont());
    m_form->Font().SetHeight(-20);
    EXPECT_EQ(-20, label->Font().Height()) << "follows the parent";
    label->Font().SetHeight(-12);
    EXPECT_FALSE(label->ParentFont());
    m_form->Font().SetHeight(-30);
    EXPECT_EQ(-12, label->Font().Height()) << "its own font from now on";
}

TEST_F(ControlTest, ReparentingMovesTheWindow)
{
    auto* panel = new TestBox(m_form);
    panel->SetParent(m_form);
    panel->SetBounds(0, 0, 100, 100);
    auto* box = new TestBox(m_form);
    box->SetParent(m_form);
    m_form->HandleNeeded();
    EXPECT_EQ(m_form->Handle(), GetParent(box->Handle()));
    box->SetParent(panel);
    EXPECT_EQ(panel->Handle(), GetParent(box->Handle()));
    EXPECT_EQ(1, panel->ControlCount());
    box->SetParent(nullptr);
    EXPECT_FALSE(box->HandleAllocated()) << "no parent, no window";
    EXPECT_EQ(0, panel->ControlCount());
    box->SetParent(m_form);
    EXPECT_TRUE(box->HandleAllocated());
}

TEST_F(ControlTest, ClicksReachTheTopmostGraphicControlUnderThePointer)
{
    AddRecorder(10, 10, "a");
    AddRecorder(40, 40, "b");
    m_form->Show();
    PostClick(m_form->Handle(), 45, 45);
    PostClick(m_form->Handle(), 15, 15);
    PumpUntil([&] { return m_journal.size() >= 6; });
    std::vector<std::string> expected = {"b down left 5,5", "b click", "b up 5,5",
                                         "a down left 5,5", "a click", "a up 5,5"};
    // Enter and leave depend on the real pointer; only the button events are compared here.
    std::vector<std::string> buttons;
    for (const std::string& entry : m_journal) {
        if (entry.find("enter") == std::string::npos && entry.find("leave") == std::string::npos) {
            buttons.push_back(entry);
        }
    }
    EXPECT_EQ(expected, buttons);
}

TEST_F(ControlTest, PressThenReleaseElsewhereIsNoClick)
{
    AddRecorder(10, 10, "a");
    m_form->Show();
    PostMessageA(m_form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    PostMessageA(m_form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(150, 100));
    PumpUntil([&] {
        return std::count_if(m_journal.begin(), m_journal.end(), [](const std::string& s) {
                   return s.find(" up ") != std::string::npos;
               }) > 0;
    });
    std::vector<std::string> buttons;
    for (const std::string& entry : m_journal) {
        if (entry.find("enter") == std::string::npos && entry.find("leave") == std::string::npos) {
            buttons.push_back(entry);
        }
    }
    // The release goes to the control that was pressed, in its coordinates.
    std::vector<std::string> expected = {"a down left 5,5", "a up 140,90"};
    EXPECT_EQ(expected, buttons);
    EXPECT_EQ(nullptr, GetCapture()) << "the capture ends with the last button";
}

TEST_F(ControlTest, DoubleClicksFollowTheControlsSetting)
{
    lumo::TImage* a = AddRecorder(10, 10, "a");
    m_form->Show();
    HWND window = m_form->Handle();
    auto doubleClick = [&] {
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
        PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
        PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(12, 12));
        PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
    };
    auto buttonEvents = [&] {
        std::vector<std::string> out;
        for (const std::string& entry : m_journal) {
            if (entry.find("enter") == std::string::npos &&
                entry.find("leave") == std::string::npos) {
                out.push_back(entry);
            }
        }
        return out;
    };
    doubleClick();
    PumpUntil([&] { return buttonEvents().size() >= 6; });
    std::vector<std::string> expected = {
        "a down left 2,2",        "a click", "a up 2,2", "a dblclick",
        "a down left double 2,2", "a up 2,2"};
    EXPECT_EQ(expected, buttonEvents());

    m_journal.clear();
    a->SetDoubleClicks(false);
    doubleClick();
    PumpUntil([&] { return buttonEvents().size() >= 6; });
    expected = {"a down left 2,2", "a click", "a up 2,2", "a down left 2,2", "a click", "a up 2,2"};
    EXPECT_EQ(expected, buttonEvents()) << "two clicks instead";
}

TEST_F(ControlTest, DisabledGraphicControlsLetTheMouseThrough)
{
    lumo::TImage* below = AddRecorder(10, 10, "below");
    lumo::TImage* above = AddRecorder(10, 10, "above");
    above->SetEnabled(false);
    m_form->Show();
    PostClick(m_form->Handle(), 20, 20);
    PumpUntil([&] {
        return std::find(m_journal.begin(), m_journal.end(), "below click") != m_journal.end();
    });
    EXPECT_EQ(m_journal.end(), std::find(m_journal.begin(), m_journal.end(), "above click"));
    (void)below;
}

TEST_F(ControlTest, EnterAndLeaveFollowThePointer)
{
    AddRecorder(10, 10, "a");
    AddRecorder(100, 10, "b");
    int formEnters = 0;
    m_form->OnMouseEnter = [&](lumo::TObject*) { ++formEnters; };
    m_form->MakeTopmost();
    m_form->Show();
    PumpFor(100);
    HWND window = m_form->Handle();
    // Real pointer moves: the system reports them to the window under the pointer.
    auto moveTo = [&](int x, int y) {
        SetCursorPos(m_form->Left() + x, m_form->Top() + y);
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PumpFor(150);
    };
    moveTo(20, 20);
    moveTo(25, 25);
    moveTo(110, 20);
    moveTo(80, 120);
    SetCursorPos(0, 0);
    PumpUntil([&] { return !m_journal.empty() && m_journal.back() == "b leave"; }, 500);
    PumpFor(100);
    // A slow X server may deliver the warps' motion events after the posted moves, so the path
    // can be reported twice; what must hold is the pairing: one control under the pointer at a
    // time, every enter closed by its leave, a before b.
    ASSERT_GE(m_journal.size(), 4u);
    std::vector<std::string> expected = {"a enter", "a leave", "b enter", "b leave"};
    EXPECT_EQ(expected, std::vector<std::string>(m_journal.begin(), m_journal.begin() + 4));
    std::string inside;
    for (const std::string& event : m_journal) {
        const std::string who = event.substr(0, 1);
        if (event.find("enter") != std::string::npos) {
            EXPECT_EQ("", inside) << "entered " << who << " while inside " << inside;
            inside = who;
        } else {
            EXPECT_EQ(who, inside) << "left " << who << " while inside '" << inside << "'";
            inside.clear();
        }
    }
    EXPECT_EQ("", inside) << "the pointer left both controls";
    EXPECT_GE(formEnters, 1) << "the form itself between the controls";
}

TEST_F(ControlTest, HintPopsUpOverAControlWithAHint)
{
    lumo::TImage* a = AddRecorder(10, 10, "a");
    a->SetHint("Auto Mode");
    m_app->SetHintPause(50);
    m_form->MakeTopmost();
    m_form->Show();
    PumpFor(100);
    SetCursorPos(m_form->Left() + 20, m_form->Top() + 20);
    PostMessageA(m_form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ASSERT_TRUE(PumpUntil([&] { return m_app->HintWindowHandle() != nullptr; }, 3000));
    HWND hint = m_app->HintWindowHandle();
    char text[64] = "";
    GetWindowTextA(hint, text, sizeof text);
    EXPECT_STREQ("Auto Mode", text);
    char className[64] = "";
    GetClassNameA(hint, className, sizeof className);
    EXPECT_STREQ("THintWindow", className);
    EXPECT_TRUE(IsWindowVisible(hint));

    // A press hides it.
    PostMessageA(m_form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageA(m_form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hint); }, 2000));

    // Destroying the control while its hint is pending leaves nothing behind.
    a->SetHint("again");
    a->DispatchMouseEnter();
    delete a;
    PumpFor(150);
    EXPECT_EQ(nullptr, m_app->HintWindowHandle());
    SetCursorPos(0, 0);
}

TEST_F(ControlTest, FocusAndTabOrder)
{
    auto* first = new TestBox(m_form);
    first->SetParent(m_form);
    first->SetTabStop(true);
    auto* skipped = new TestBox(m_form);
    skipped->SetParent(m_form);
    auto* second = new TestBox(m_form);
    second->SetParent(m_form);
    second->SetTabStop(true);
    auto* third = new TestBox(m_form);
    third->SetParent(m_form);
    third->SetTabStop(true);
    third->SetEnabled(false);
    m_form->Show();
    SetForegroundWindow(m_form->Handle());

    first->SetFocus();
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(first, m_form->ActiveControl());
    PostMessageA(first->Handle(), WM_KEYDOWN, VK_TAB, 0);
    PumpUntil([&] { return second->Focused(); }, 2000);
    EXPECT_TRUE(second->Focused()) << "the box without tab stop is skipped";
    PostMessageA(second->Handle(), WM_KEYDOWN, VK_TAB, 0);
    PumpUntil([&] { return first->Focused(); }, 2000);
    EXPECT_TRUE(first->Focused()) << "the disabled one is skipped, and it wraps";
    std::vector<std::string> expected = {"enter", "exit", "enter"};
    EXPECT_EQ(expected, first->events);

    second->SetTabOrder(0);
    EXPECT_EQ(0, second->TabOrder());
    m_form->SelectNext(second, true);
    EXPECT_TRUE(first->Focused());

    // The active control is forgotten with the control.
    delete first;
    EXPECT_EQ(nullptr, m_form->ActiveControl());
}

TEST_F(ControlTest, KeyEventsReachTheFocusedControl)
{
    auto* box = new TestBox(m_form);
    box->SetParent(m_form);
    std::vector<std::string> keys;
    box->OnKeyDown = [&](lumo::TObject*, WORD& key, lumo::TShiftState) {
        keys.push_back("down " + std::to_string(key));
    };
    box->OnKeyUp = [&](lumo::TObject*, WORD& key, lumo::TShiftState) {
        keys.push_back("up " + std::to_string(key));
    };
    box->OnKeyPress = [&](lumo::TObject*, char& key) {
        keys.push_back(std::string("char ") + key);
    };
    m_form->Show();
    PostMessageA(box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(box->Handle(), WM_KEYUP, VK_SPACE, 0);
    PumpUntil([&] { return keys.size() >= 3; });
    PumpFor(50);
    // The loop translates the key into its character.
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> expected = {"char  ", "down 32", "up 32"};
    EXPECT_EQ(expected, keys);
}

TEST_F(ControlTest, NoEventReachesAControlAfterItIsDestroyed)
{
    lumo::TImage* a = AddRecorder(10, 10, "a");
    m_form->Show();
    PostClick(m_form->Handle(), 15, 15);
    delete a;
    PumpFor(100);
    EXPECT_TRUE(m_journal.empty());
    EXPECT_EQ(0, m_form->ControlCount());

    // A parent takes its children with it; their owner forgets them.
    auto* panel = new TestBox(m_form);
    panel->SetParent(m_form);
    auto* child = new lumo::TLabel(m_form);
    child->SetParent(panel);
    int before = m_form->ComponentCount();
    delete panel;
    EXPECT_EQ(before - 2, m_form->ComponentCount());
}

} // namespace
