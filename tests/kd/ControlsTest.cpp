// The concrete controls: check box cycle, radio groups, caption colours, the bar's drag and a
// button closing a modal form.
#include "tests/kd/KdTestSupport.h"
#include "tests/support/TempDir.h"

#include <thread>

namespace {

using lumo::TBitmap;
using lumo::TCheckBoxState;
using lumo::TColor;

std::string StateName(TCheckBoxState state)
{
    switch (state) {
    case TCheckBoxState::cbChecked:
        return "checked";
    case TCheckBoxState::cbGrayed:
        return "grayed";
    default:
        return "unchecked";
    }
}

class ControlsTest : public kdtest::KdTest
{
protected:
    template <typename T> T* Add(int left, int top)
    {
        auto* control = new T(m_form);
        control->SetParent(m_form);
        control->SetBounds(left, top, 10, 10);
        return control;
    }
    // Bounding box of the pixels of a control's picture that differ from the colour at (0, 0).
    RECT Ink(lumo::TWinControl& control)
    {
        auto picture = formstest::Render(control);
        TColor background = picture->PixelColor(0, 0);
        RECT box = {picture->Width(), picture->Height(), 0, 0};
        for (int y = 0; y < picture->Height(); ++y) {
            for (int x = 0; x < picture->Width(); ++x) {
                if (picture->PixelColor(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        }
        return box;
    }
};

TEST_F(ControlsTest, CheckBoxCyclesThroughGrayedAndFallsBackToItsRaisedPictures)
{
    auto* box = Add<KdCheckBox>(20, 20);
    std::vector<TColor> colors;
    for (int i = 0; i < 12; ++i) {
        colors.push_back(0x101010 * (i + 1));
    }
    kdtest::SetStates(*box, 30, 30, colors);
    box->OnClick = [&](lumo::TObject*) { Note(StateName(box->State())); };
    box->SetAllowGrayed(true);
    ShowForm();
    for (int i = 0; i < 4; ++i) {
        ClickAt(*box, 15, 15);
    }
    box->SetAllowGrayed(false);
    ClickAt(*box, 15, 15);
    ClickAt(*box, 15, 15);
    std::vector<std::string> expected = {"grayed", "checked", "unchecked",
                                         "grayed", "checked", "unchecked"};
    EXPECT_EQ(expected, m_journal);
    EXPECT_EQ(2, box->ShownState()) << "hovered, unchecked";
    EXPECT_FALSE(box->GetChecked());

    box->SetChecked(true);
    EXPECT_EQ(6, box->ShownState()) << "the requested visual with the new check state";
    box->Appearance().Check.SetBitmap(2, nullptr);
    box->ShowFocused();
    EXPECT_EQ(4, box->ShownState()) << "checked raised stands in";
    box->Appearance().Check.SetBitmap(0, nullptr);
    EXPECT_EQ(0, box->ShownState()) << "then unchecked raised";
    TBitmap again;
    formstest::Fill(again, 30, 30, 0x00FFFF);
    box->Appearance().Check.SetRaisedBmp(again);
    EXPECT_EQ(4, box->ShownState()) << "the picture it falls back to first came back";
    EXPECT_EQ(0x00FFFF, formstest::Render(*box)->PixelColor(3, 3));
}

// A radio button of a class of its own: not in the group of plain radio buttons.
class TModeRadio : public KdRadioButton
{
public:
    LUMO_CLASS_NAME(TModeRadio)
    using KdRadioButton::KdRadioButton;
};

TEST_F(ControlsTest, RadioButtonsExcludeSiblingsOfExactlyTheirClass)
{
    auto* a = Add<KdRadioButton>(20, 20);
    auto* b = Add<KdRadioButton>(60, 20);
    auto* other = Add<TModeRadio>(100, 20);
    auto* panel = new lumo::TWinControl(m_form);
    panel->SetParent(m_form);
    panel->SetBounds(20, 100, 200, 60);
    auto* c = new KdRadioButton(panel);
    c->SetParent(panel);
    for (KdRadioButton* radio : std::vector<KdRadioButton*>{a, b, other, c}) {
        kdtest::SetStates(
            *radio, 30, 30,
            {0x404040, 0x505050, 0x606060, 0x707070, 0x00C000, 0x00D000, 0x00E000, 0x00F000});
    }
    other->SetChecked(true);
    c->SetChecked(true);
    b->SetChecked(true);
    ShowForm();
    ClickAt(*a, 10, 10);
    EXPECT_TRUE(a->GetChecked());
    EXPECT_FALSE(b->GetChecked());
    EXPECT_TRUE(other->GetChecked()) << "a derived class is not in the group";
    EXPECT_TRUE(c->GetChecked()) << "another parent is another group";
    EXPECT_EQ(6, a->ShownState()) << "checked and hovered";
    EXPECT_EQ(0, b->ShownState());

    other->SetChecked(true);
    EXPECT_FALSE(a->GetChecked()) << "it unchecks plain radio buttons itself";
    c->SetChecked(false);
    EXPECT_FALSE(c->GetChecked()) << "a group may end with none checked";
}

TEST_F(ControlsTest, CaptionTakesTheStateColourAndMovesWhenPressed)
{
    auto* button = Add<KdButtonTx>(20, 20);
    TBitmap face;
    formstest::Fill(face, 120, 30, 0x303030);
    button->Appearance().SetRaisedBmp(face);
    button->Font().SetName("Tahoma");
    button->Font().SetHeight(-16);
    button->Font().SetStyle(lumo::fsBold);
    button->Font().SetColor(lumo::clWhite);
    button->FontColors().SetSunken(0x00FFFF);
    button->SetText("Exit");
    ShowForm();
    RECT rect = button->TextBounds();
    EXPECT_EQ(120, rect.right) << "the caption rectangle follows the bounds";

    auto count = [&](TColor color) {
        return formstest::CountColor(*formstest::Render(*button), RECT{0, 0, 120, 30}, color);
    };
    EXPECT_GT(count(lumo::clWhite), 10);
    RECT raised = Ink(*button);
    button->ShowSunken();
    EXPECT_GT(count(0x00FFFF), 10);
    RECT sunken = Ink(*button);
    EXPECT_EQ(raised.left + 2, sunken.left);
    EXPECT_EQ(raised.top + 2, sunken.top);
    button->ShowFocused();
    EXPECT_EQ(raised.left, Ink(*button).left) << "released text is back";
    EXPECT_EQ(COLORREF(lumo::clWhite), button->TextColor()) << "focused colour not set";

    // Disabled without a colour of its own: the system's grey text.
    button->SetEnabled(false);
    TColor grey = static_cast<TColor>(GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(COLORREF(grey), button->TextColor());
    EXPECT_GT(count(grey), 10);
    EXPECT_EQ(0, count(lumo::clWhite));
    button->FontColors().SetDisabled(0x0000FF);
    EXPECT_GT(count(0x0000FF), 10);
    EXPECT_EQ(0, count(grey));
}

// A window waiting hidden (in the tray) holds no drawn pictures of its controls: a control's
// picture is drawn when painted, with the state last asked for.
TEST_F(ControlsTest, PicturesAreDrawnWhenPaintedWithTheLatestState)
{
    auto* button = Add<KdButton>(20, 20);
    kdtest::SetStates(*button, 40, 20, {0x0000C0, 0x00C000, 0xC00000, 0x808080});
    button->ShowSunken();
    EXPECT_FALSE(button->Led().Drawn());
    EXPECT_FALSE(button->Led().Image().Picture().HandleAllocated()) << "nothing drawn hidden";

    ShowForm();
    EXPECT_EQ(0x00C000, formstest::Render(*button)->PixelColor(5, 5)) << "sunken";
    EXPECT_TRUE(button->Led().Drawn());
    button->ShowRaised();
    button->ShowBitmap(2);
    EXPECT_FALSE(button->Led().Drawn()) << "two changes, no drawing yet";
    EXPECT_EQ(0xC00000, formstest::Render(*button)->PixelColor(39, 19)) << "the last state";
}

TEST_F(ControlsTest, BarDragStopsAtBothEnds)
{
    auto* bar = Add<KdBar>(20, 100);
    kdtest::SetStates(*bar, 200, 20, {0x804020});
    TBitmap knob;
    formstest::Fill(knob, 10, 10, 0x20C0F0);
    bar->SetIndicator(knob);
    bar->SetLength(100);
    bar->SetOrigin(10, 10);
    EXPECT_EQ(5, bar->IndicatorImage().Left());
    bar->OnStartScroll = [&](lumo::TObject*) { Note("start"); };
    bar->OnEndScroll = [&](lumo::TObject*) { Note("end"); };
    bar->OnScroll = [&](lumo::TObject*, int& position, bool forward) {
        Note("scroll " + std::to_string(position) + (forward ? " forward" : " back"));
    };
    ShowForm();
    MoveTo(*bar, 12, 10);
    LeftDown();
    EXPECT_TRUE(bar->IsDraging());
    MoveTo(*bar, 42, 12);
    MoveTo(*bar, 250, 10);
    EXPECT_EQ(105, bar->IndicatorImage().Left());
    MoveTo(*bar, -100, 10);
    LeftUp();
    std::vector<std::string> expected = {"start", "scroll 30 forward", "scroll 100 forward",
                                         "scroll 0 back", "end"};
    EXPECT_EQ(expected, m_journal);
    EXPECT_EQ(0, bar->ScrollPos());
    EXPECT_EQ(5, bar->IndicatorImage().Left());
    EXPECT_EQ(0x20C0F0, formstest::Render(*bar)->PixelColor(8, 10)) << "the indicator in front";

    // Unclamped when set; OnIndicate has the last word on the place; vertical bars use y.
    bar->OnIndicate = [](lumo::TObject*, int& coordinate) { coordinate += 1; };
    bar->SetScrollPos(150);
    EXPECT_EQ(156, bar->IndicatorImage().Left());
    bar->SetKind(lumo::TScrollBarKind::sbVertical);
    EXPECT_EQ(5, bar->IndicatorImage().Left());
    EXPECT_EQ(156, bar->IndicatorImage().Top());
}

TEST_F(ControlsTest, ButtonWithModalResultTwoClosesItsModalForm)
{
    auto* dialog = new lumo::TForm(m_app.get());
    dialog->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    dialog->SetBounds(500, 400, 120, 80);
    auto* button = new KdButton(dialog);
    button->SetParent(dialog);
    button->SetBounds(20, 20, 0, 0);
    kdtest::SetStates(*button, 50, 25, {0x2020C0});
    button->SetModalResult(2);
    dialog->MakeTopmost();
    // The click happens while the modal loop runs.
    auto* timer = new lumo::TTimer(dialog);
    timer->SetInterval(50);
    timer->OnTimer = [&](lumo::TObject*) {
        timer->SetEnabled(false);
        POINT point = button->ClientToScreen(POINT{10, 10});
        SetCursorPos(point.x, point.y);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof input[0]);
    };
    auto* guard = new lumo::TTimer(dialog);
    guard->SetInterval(5000);
    guard->OnTimer = [&](lumo::TObject*) { dialog->SetModalResult(99); };
    EXPECT_EQ(2, dialog->ShowModal());
}

TEST_F(ControlsTest, LoadBitmapReadsEveryFileBeforeAnyStateChanges)
{
    tvtest::TempDir dir;
    auto save = [&](const std::string& name, TColor color) {
        TBitmap picture;
        formstest::Fill(picture, 40, 20, color);
        kdtest::FillRect(picture, RECT{0, 19, 1, 20}, 0xFF00FF);
        picture.SaveToFile(dir.Path() + name);
    };
    save("raised.bmp", 0x204080);
    save("focused.bmp", 0x40A0F0);
    save("other.bmp", 0x00FF00);
    std::string folder = dir.Path().substr(0, dir.Path().size() - 1);
    auto* button = Add<KdButton>(20, 20);
    EXPECT_TRUE(button->LoadBitmap(folder, "raised.bmp", "", "focused.bmp", ""));
    EXPECT_EQ(0x204080, button->Appearance().RaisedBmp().PixelColor(5, 5));
    EXPECT_TRUE(button->Appearance().SunkenBmp().Empty()) << "an empty name leaves its state";
    EXPECT_EQ(0x40A0F0, button->Appearance().FocusedBmp().PixelColor(5, 5));
    EXPECT_EQ(0xFF00FF, button->TransparentColor()) << "state 0 brings its lower-left colour";
    EXPECT_EQ(40, button->Width());

    EXPECT_THROW(button->LoadBitmap(dir.Path(), "other.bmp", "missing.bmp", "", ""),
                 lumo::EFOpenError);
    EXPECT_EQ(0x204080, button->Appearance().RaisedBmp().PixelColor(5, 5)) << "nothing changed";

    auto* box = Add<KdCheckBox>(20, 60);
    EXPECT_TRUE(box->LoadChecked(dir.Path(), "other.bmp", "", "", ""));
    EXPECT_EQ(0x00FF00, box->GetStateBitmap(4).PixelColor(5, 5));
    EXPECT_TRUE(box->GetStateBitmap(0).Empty());
}

TEST(FontColorTest, ChangesFireOnceAndNotForTheSameValue)
{
    KdThreeStateFontColor colors;
    int changes = 0;
    colors.OnChange = [&](lumo::TObject* sender) {
        EXPECT_EQ(&colors, sender);
        ++changes;
    };
    EXPECT_EQ(kdColorNotSet, colors.Sunken());
    colors.SetSunken(0x00FFFF);
    colors.SetSunken(0x00FFFF);
    EXPECT_EQ(1, changes);
    KdThreeStateFontColor other;
    other.SetFocused(0x123456);
    other.SetDisabled(0x654321);
    colors.Assign(other);
    EXPECT_EQ(2, changes) << "one change for the whole assignment";
    EXPECT_EQ(kdColorNotSet, colors.Sunken());
    EXPECT_EQ(0x654321, colors.Disabled());
}

} // namespace
