// Every GDI object the controls make is given back: through many state changes and through
// whole forms of controls made and destroyed.
#include "lumo/widget/Source/KdImage.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "tests/kd/KdTestSupport.h"

namespace {

class LeakTest : public kdtest::KdTest
{};

// A form with one control of each kind, all with pictures, the button shaped.
lumo::TForm* MakeGalleryForm(lumo::TComponent* owner)
{
    auto* form = new lumo::TForm(owner);
    form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    form->SetScaled(false);
    form->SetBounds(600, 100, 300, 200);
    auto* background = new lumo::TImage(form);
    background->SetParent(form);
    formstest::Fill(background->Picture(), 300, 200, 0x00FF00);
    kdtest::FillRect(background->Picture(), RECT{10, 10, 290, 190}, 0x404040);
    auto* button = new KdButtonTx(form);
    button->SetParent(form);
    kdtest::SetStates(*button, 80, 24, {0xFF00FF, 0x20C020, 0xC02020, 0x808080});
    kdtest::FillRect(button->GetStateBitmap(0), RECT{4, 4, 76, 20}, 0x2020C0);
    button->SetTransparent(true);
    button->SetText("Setting");
    auto* box = new KdCheckBox(form);
    box->SetParent(form);
    box->SetTop(40);
    kdtest::SetStates(*box, 20, 20, {0x111111, 0x222222, 0x333333, 0x444444, 0x555555});
    auto* radio = new KdRadioButton(form);
    radio->SetParent(form);
    radio->SetTop(70);
    kdtest::SetStates(*radio, 20, 20, {0x111111, 0x222222, 0x333333, 0x444444, 0x555555});
    auto* bar = new KdBar(form);
    bar->SetParent(form);
    bar->SetTop(100);
    kdtest::SetStates(*bar, 120, 10, {0x804020, 0x905030});
    lumo::TBitmap knob;
    formstest::Fill(knob, 8, 8, 0x20C0F0);
    bar->SetIndicator(knob);
    auto* brick = new KdBrickTx(form);
    brick->SetParent(form);
    brick->SetTop(130);
    kdtest::SetStates(*brick, 60, 20, {0x303030});
    brick->SetText("Watt");
    auto* image = new KdImage(form);
    image->SetParent(form);
    image->SetTop(160);
    image->SetAlphaChannel(true);
    image->Picture().SetPixelFormat(lumo::TPixelFormat::pf32bit);
    image->Picture().SetSize(16, 16);
    return form;
}

TEST_F(LeakTest, StateChangesAndCreateDestroyCyclesGiveEveryObjectBack)
{
    long start = lumo::LiveGdiObjects();
    auto* button = new KdButtonTx(m_form);
    button->SetParent(m_form);
    kdtest::SetStates(*button, 80, 24, {0xFF00FF, 0x20C020, 0xC02020, 0x808080});
    button->SetTransparent(true);
    button->SetText("Exit");
    auto* box = new KdCheckBox(m_form);
    box->SetParent(m_form);
    box->SetTop(40);
    kdtest::SetStates(*box, 20, 20, {0x111111, 0x222222, 0x333333, 0x444444, 0x555555});
    ShowForm();
    auto cycle = [&](int i) {
        switch (i % 5) {
        case 0:
            button->ShowSunken();
            box->SetChecked(!box->GetChecked());
            break;
        case 1:
            button->ShowFocused();
            box->ShowFocused();
            break;
        case 2:
            button->SetEnabled(false);
            box->SetEnabled(false);
            break;
        case 3:
            button->SetEnabled(true);
            box->SetEnabled(true);
            break;
        default:
            button->SetTransparentColor(i % 2 ? 0xFF00FF : 0x808080);
            box->SetState(lumo::TCheckBoxState::cbGrayed);
            break;
        }
    };
    for (int i = 0; i < 10; ++i) {
        cycle(i);
    }
    m_form->Repaint();
    long settled = lumo::LiveGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        cycle(i);
        if (i % 100 == 0) {
            m_form->Repaint();
        }
    }
    EXPECT_EQ(settled, lumo::LiveGdiObjects()) << "1,000 state changes";
    delete button;
    delete box;
    EXPECT_EQ(start, lumo::LiveGdiObjects());

    for (int i = 0; i < 100; ++i) {
        lumo::TForm* form = MakeGalleryForm(m_app.get());
        lumo::TLayeredFormMaker maker;
        maker.Attach(static_cast<lumo::TImage*>(form->Controls(0)));
        if (i % 10 == 0) {
            form->Show();
            form->Repaint();
        }
        maker.Detach();
        delete form;
    }
    EXPECT_EQ(start, lumo::LiveGdiObjects()) << "100 forms made and destroyed";
}

} // namespace
