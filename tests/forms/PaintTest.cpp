#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using formstest::CountColor;
using formstest::Fill;
using formstest::Render;
using lumo::TColor;

class PaintTest : public formstest::AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_form = new lumo::TForm(m_app.get());
        m_form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        m_form->SetColor(lumo::clWhite);
        m_form->SetBounds(100, 100, 120, 90);
    }

    lumo::TImage* AddImage(int left, int top, int width, int height, TColor color)
    {
        auto* image = new lumo::TImage(m_form);
        image->SetParent(m_form);
        image->SetBounds(left, top, width, height);
        Fill(image->Picture(), width, height, color);
        return image;
    }

    lumo::TForm* m_form = nullptr;
};

// A paint handler that throws: the exception is shown, the window is painted once and valid
// afterwards. (The paint DC's owner also ends the paint then, which gives the window's display
// DC back and shows a caret again; Wine offers no count of those to assert.)
TEST_F(PaintTest, AThrowingPaintHandlerIsShownOnceAndLeavesTheWindowValid)
{
    class Faulty : public lumo::TWinControl
    {
    public:
        using lumo::TWinControl::TWinControl;
        int paints = 0;

    protected:
        void Paint(lumo::TCanvas&) override
        {
            ++paints;
            throw lumo::EInvalidGraphic("broken picture");
        }
    };
    int shown = 0;
    m_app->OnException = [&](lumo::TObject*, const lumo::Exception&) { ++shown; };
    auto* faulty = new Faulty(m_form);
    faulty->SetParent(m_form);
    faulty->SetBounds(10, 10, 50, 40);
    m_form->Show();
    ASSERT_TRUE(PumpUntil([&] { return faulty->paints > 0; }));
    PumpFor(200);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(faulty->Handle(), &update, FALSE)) << "nothing left to paint";
    EXPECT_EQ(1, faulty->paints) << "painted once, not again and again";
    EXPECT_EQ(1, shown);
    m_form->Hide();
}

TEST_F(PaintTest, GraphicControlsArePaintedInZOrder)
{
    AddImage(10, 10, 40, 40, lumo::clRed);
    lumo::TImage* blue = AddImage(30, 30, 40, 40, lumo::clBlue);
    auto picture = Render(*m_form);
    EXPECT_EQ(lumo::clWhite, picture->PixelColor(5, 5));
    EXPECT_EQ(lumo::clRed, picture->PixelColor(15, 15));
    EXPECT_EQ(lumo::clBlue, picture->PixelColor(40, 40)) << "the later one lies on top";
    EXPECT_EQ(lumo::clBlue, picture->PixelColor(60, 60));

    blue->SendToBack();
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clRed, picture->PixelColor(40, 40));
    blue->BringToFront();
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clBlue, picture->PixelColor(40, 40));

    blue->Hide();
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clRed, picture->PixelColor(40, 40));
    EXPECT_EQ(lumo::clWhite, picture->PixelColor(60, 60));
}

TEST_F(PaintTest, TransparentLabelShowsTheImageBetweenItsLetters)
{
    AddImage(0, 0, 120, 40, lumo::clRed);
    auto* label = new lumo::TLabel(m_form);
    label->SetParent(m_form);
    label->SetAutoSize(false);
    label->SetBounds(5, 5, 100, 30);
    label->Font().SetHeight(-20);
    label->Font().SetStyle(lumo::fsBold);
    label->Font().SetColor(lumo::clBlack);
    label->SetColor(lumo::clLime);
    label->SetCaption("MWMW");
    label->SetTransparent(true);

    auto picture = Render(*m_form);
    RECT area = label->BoundsRect();
    int total = (area.right - area.left) * (area.bottom - area.top);
    int red = CountColor(*picture, area, lumo::clRed);
    int black = CountColor(*picture, area, lumo::clBlack);
    EXPECT_EQ(0, CountColor(*picture, area, lumo::clLime)) << "no background of its own";
    EXPECT_GT(black, 20) << "the text is drawn";
    EXPECT_GT(red, total / 2) << "the image shows through";

    label->SetTransparent(false);
    picture = Render(*m_form);
    EXPECT_EQ(0, CountColor(*picture, area, lumo::clRed)) << "an opaque label hides the image";
    EXPECT_GT(CountColor(*picture, area, lumo::clLime), total / 2);
}

// Set up before it is placed (the usual order), a label measures its text once it has a parent,
// in its own font, and keeps following its text.
TEST_F(PaintTest, AutoSizedLabelIsMeasuredWhenPlaced)
{
    auto setUp = [&](lumo::TLabel* label) {
        label->SetParentFont(false);
        label->Font().SetName("Tahoma");
        label->Font().SetHeight(-20);
        label->Font().SetStyle(lumo::fsBold);
        label->SetCaption("Energy saved");
        label->SetBounds(10, 40, 0, 0);
    };
    auto* placed = new lumo::TLabel(m_form);
    placed->SetParent(m_form);
    setUp(placed);
    auto* late = new lumo::TLabel(m_form);
    setUp(late);
    late->SetParent(m_form);
    EXPECT_GT(placed->Width(), 60);
    EXPECT_EQ(placed->Width(), late->Width());
    EXPECT_EQ(placed->Height(), late->Height());
    EXPECT_EQ(10, late->Left());
    EXPECT_EQ(40, late->Top());
    const int width = late->Width();
    late->SetCaption("Energy saved this year");
    EXPECT_GT(late->Width(), width);
}

TEST_F(PaintTest, LabelAlignmentAndWordWrap)
{
    auto* label = new lumo::TLabel(m_form);
    label->SetParent(m_form);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 120, 60);
    label->SetColor(lumo::clWhite);
    label->Font().SetColor(lumo::clBlack);
    label->SetCaption("ii");

    auto blackColumns = [&](lumo::TBitmap& picture, int& first, int& last) {
        first = 1000;
        last = -1;
        for (int x = 0; x < 120; ++x) {
            for (int y = 0; y < 60; ++y) {
                if (picture.PixelColor(x, y) == lumo::clBlack) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
    };
    int first, last;
    auto picture = Render(*m_form);
    blackColumns(*picture, first, last);
    EXPECT_LT(first, 10) << "left";
    label->SetAlignment(lumo::TAlignment::taRightJustify);
    picture = Render(*m_form);
    blackColumns(*picture, first, last);
    EXPECT_GT(last, 110) << "right";
    label->SetAlignment(lumo::TAlignment::taCenter);
    picture = Render(*m_form);
    blackColumns(*picture, first, last);
    EXPECT_NEAR(60, (first + last) / 2, 4) << "centred";

    // Word wrap: a long caption takes several lines within the width.
    label->SetAlignment(lumo::TAlignment::taLeftJustify);
    label->SetCaption("word word word word word word word word word word");
    picture = Render(*m_form);
    int singleLineRows = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (picture->PixelColor(x, y) == lumo::clBlack) {
                ++singleLineRows;
                break;
            }
        }
    }
    label->SetWordWrap(true);
    picture = Render(*m_form);
    int wrappedRows = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (picture->PixelColor(x, y) == lumo::clBlack) {
                ++wrappedRows;
                break;
            }
        }
    }
    EXPECT_GT(wrappedRows, singleLineRows + 5);
}

TEST_F(PaintTest, AutoSizeFollowsTextAndPicture)
{
    auto* label = new lumo::TLabel(m_form);
    label->SetParent(m_form);
    label->SetCaption("A");
    int narrow = label->Width();
    label->SetCaption("A much longer caption");
    EXPECT_GT(label->Width(), narrow);
    int height = label->Height();
    label->Font().SetHeight(-30);
    EXPECT_GT(label->Height(), height);
    int width = label->Width();
    height = label->Height();
    label->SetBounds(7, 8, 0, 0);
    EXPECT_EQ(7, label->Left());
    EXPECT_EQ(width, label->Width()) << "the text decides the size";
    EXPECT_EQ(height, label->Height());
    label->SetWordWrap(true);
    label->SetBounds(7, 8, width / 3, 0);
    EXPECT_EQ(width / 3, label->Width()) << "word wrap keeps the width";
    EXPECT_GT(label->Height(), height) << "and takes more lines";

    auto* image = new lumo::TImage(m_form);
    image->SetParent(m_form);
    image->SetAutoSize(true);
    Fill(image->Picture(), 33, 22, lumo::clRed);
    EXPECT_EQ(33, image->Width());
    EXPECT_EQ(22, image->Height());
    image->SetBounds(5, 6, 100, 100);
    EXPECT_EQ(5, image->Left());
    EXPECT_EQ(33, image->Width()) << "an auto-sized image keeps the picture's size";
}

TEST_F(PaintTest, TransparentImageLeavesItsKeyColourOut)
{
    AddImage(0, 0, 120, 90, lumo::clBlue);
    lumo::TImage* sprite = AddImage(10, 10, 20, 20, lumo::clFuchsia);
    sprite->Picture().Canvas().Brush().SetColor(lumo::clYellow);
    sprite->Picture().Canvas().FillRect(RECT{5, 5, 15, 15});
    sprite->SetTransparent(true);
    auto picture = Render(*m_form);
    EXPECT_EQ(lumo::clBlue, picture->PixelColor(11, 11)) << "key colour (lower-left) left out";
    EXPECT_EQ(lumo::clYellow, picture->PixelColor(20, 20));
    sprite->SetTransparent(false);
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clFuchsia, picture->PixelColor(11, 11));
}

TEST_F(PaintTest, StretchAndCentre)
{
    lumo::TImage* image = AddImage(0, 0, 60, 60, lumo::clRed);
    Fill(image->Picture(), 10, 10, lumo::clRed);
    auto picture = Render(*m_form);
    EXPECT_EQ(lumo::clWhite, picture->PixelColor(30, 30));
    image->SetCenter(true);
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clRed, picture->PixelColor(30, 30));
    EXPECT_EQ(lumo::clWhite, picture->PixelColor(2, 2));
    image->SetStretch(true);
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clRed, picture->PixelColor(2, 2));
    EXPECT_EQ(lumo::clRed, picture->PixelColor(58, 58));
}

TEST_F(PaintTest, WindowedChildrenLieAboveGraphicOnes)
{
    auto* box = new formstest::TestBox(m_form);
    box->SetParent(m_form);
    box->SetBounds(20, 20, 30, 30);
    box->SetColor(lumo::clLime);
    AddImage(0, 0, 120, 90, lumo::clRed);
    m_form->HandleNeeded();
    auto picture = Render(*m_form);
    EXPECT_EQ(lumo::clLime, picture->PixelColor(30, 30));
    EXPECT_EQ(lumo::clRed, picture->PixelColor(10, 10));

    // A graphic control inside the child is painted by the child.
    auto* inner = new lumo::TImage(box);
    inner->SetParent(box);
    inner->SetBounds(5, 5, 10, 10);
    Fill(inner->Picture(), 10, 10, lumo::clBlue);
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clBlue, picture->PixelColor(27, 27));
    EXPECT_EQ(lumo::clLime, picture->PixelColor(22, 22));

    box->Hide();
    picture = Render(*m_form);
    EXPECT_EQ(lumo::clRed, picture->PixelColor(30, 30));
}

TEST_F(PaintTest, ShapedWindowedChildShowsOnlyInsideItsRegion)
{
    AddImage(0, 0, 120, 90, lumo::clRed);
    auto* box = new formstest::TestBox(m_form);
    box->SetParent(m_form);
    box->SetBounds(20, 20, 40, 40);
    box->SetColor(lumo::clLime);
    box->HandleNeeded();
    // The system owns the region once it is set.
    SetWindowRgn(box->Handle(), CreateRectRgn(0, 0, 20, 40), FALSE);
    auto picture = Render(*m_form);
    EXPECT_EQ(lumo::clLime, picture->PixelColor(25, 30));
    EXPECT_EQ(lumo::clRed, picture->PixelColor(50, 30)) << "cut away by the region";
}

TEST_F(PaintTest, ScreenShowsWhatPaintToDraws)
{
    AddImage(10, 10, 40, 40, lumo::clRed);
    AddImage(30, 30, 40, 40, lumo::clBlue);
    auto* box = new formstest::TestBox(m_form);
    box->SetParent(m_form);
    box->SetBounds(80, 10, 20, 20);
    box->SetColor(lumo::clLime);
    m_form->MakeTopmost();
    m_form->Show();
    m_form->Repaint();
    PumpFor(200);

    lumo::TBitmap screen(m_form->ClientWidth(), m_form->ClientHeight());
    {
        lumo::WindowDC window(m_form->Handle());
        BitBlt(screen.Canvas().Handle(), 0, 0, screen.Width(), screen.Height(), window.Get(), 0, 0,
               SRCCOPY);
    }
    auto painted = Render(*m_form);
    for (POINT p : {POINT{5, 5}, POINT{15, 15}, POINT{40, 40}, POINT{60, 60}, POINT{90, 20}}) {
        EXPECT_EQ(painted->PixelColor(p.x, p.y), screen.PixelColor(p.x, p.y)) << p.x << "," << p.y;
    }

    // The print path (WM_PRINTCLIENT) paints the same.
    lumo::TBitmap printed(m_form->ClientWidth(), m_form->ClientHeight());
    SendMessageA(m_form->Handle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(printed.Canvas().Handle()), PRF_CLIENT);
    EXPECT_EQ(lumo::clBlue, printed.PixelColor(40, 40));
    EXPECT_EQ(lumo::clRed, printed.PixelColor(15, 15));
}

} // namespace
