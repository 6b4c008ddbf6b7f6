// KdNumLed on a form: its bounds, and the pixels of lit and unlit segments at two sizes.
#include "lumo/Component/LED/KdNumLed.h"
#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using formstest::Render;

constexpr lumo::TColor kLight = 0x0000FF; // red
constexpr lumo::TColor kDark = 0x404040;
constexpr lumo::TColor kBack = 0xFFFFFF;
constexpr lumo::TColor kForm = 0xFF0000; // blue

class KdNumLedTest : public formstest::AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_form = new lumo::TForm(m_app.get());
        m_form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        m_form->SetColor(kForm);
        m_form->SetBounds(50, 50, 260, 120);
        m_led = new KdNumLed(m_form);
        m_led->SetParent(m_form);
        m_led->SetLeft(10);
        m_led->SetTop(10);
        KdLedColors colors;
        colors.LightColor = kLight;
        colors.DarkColor = kDark;
        colors.BackgroundColor = kBack;
        colors.TransparentColor = kBack;
        m_led->SetLedColors(colors);
    }

    // The colour at a point of LED number index's cell (natural coordinates, centre of the
    // pixel), in the form's picture at the LED's current scale.
    lumo::TColor At(const lumo::TBitmap& picture, int index, double x, double y)
    {
        double scale = m_led->Width() / 72.0;
        return picture.PixelColor(m_led->Left() + static_cast<int>((18 * index + x) * scale),
                                  m_led->Top() + static_cast<int>(y * scale));
    }

    lumo::TForm* m_form = nullptr;
    KdNumLed* m_led = nullptr;
};

TEST_F(KdNumLedTest, SizesThroughSetBoundsAndKeepRatio)
{
    EXPECT_EQ(72, m_led->Width()) << "format 8888 at its natural size";
    EXPECT_EQ(22, m_led->Height());
    m_led->SetFormat("888.8");
    m_led->SetBounds(10, 10, 200, 50);
    EXPECT_EQ(200, m_led->Width()) << "stretched without KeepRatio";
    EXPECT_EQ(50, m_led->Height());
    m_led->SetKeepRatio(true);
    EXPECT_EQ(144, m_led->Width());
    EXPECT_EQ(50, m_led->Height());
    m_led->SetLeft(30);
    EXPECT_EQ(144, m_led->Width()) << "a move keeps the size";
    EXPECT_EQ(50, m_led->Height());
    m_led->SetFormat("88");
    EXPECT_EQ(36 * 50 / 22, m_led->Width()) << "the new row fitted into the size asked for";
    EXPECT_EQ(50, m_led->Height());
    m_led->SetFormat("8+8");
    EXPECT_EQ("88", m_led->Format());
    EXPECT_EQ(81, m_led->Width());
    EXPECT_EQ(81, m_led->Imp().Image().Width()) << "the drawing follows the control";
    EXPECT_EQ(50, m_led->Imp().Image().Height());
}

TEST_F(KdNumLedTest, LitAndUnlitSegmentsAtTwoSizes)
{
    ASSERT_TRUE(m_led->SetValue(17));
    for (int scale : {1, 3}) {
        m_led->SetBounds(10, 10, 72 * scale, 22 * scale);
        auto picture = Render(*m_form);
        SCOPED_TRACE(scale);
        // LED 3 shows 7: top and right segments lit, the rest dark.
        EXPECT_EQ(kLight, At(*picture, 3, 8.5, 2.5)) << "top";
        EXPECT_EQ(kLight, At(*picture, 3, 14.5, 6.5)) << "upper right";
        EXPECT_EQ(kLight, At(*picture, 3, 14.5, 14.5)) << "lower right";
        EXPECT_EQ(kDark, At(*picture, 3, 8.5, 18.5)) << "bottom";
        EXPECT_EQ(kDark, At(*picture, 3, 8.5, 10.5)) << "middle";
        EXPECT_EQ(kDark, At(*picture, 3, 2.5, 6.5)) << "upper left";
        // LED 2 shows 1, LEDs 0 and 1 are blank.
        EXPECT_EQ(kDark, At(*picture, 2, 8.5, 2.5));
        EXPECT_EQ(kLight, At(*picture, 2, 14.5, 14.5));
        EXPECT_EQ(kDark, At(*picture, 0, 8.5, 10.5));
        // Between the segments: background; outside the control: the form.
        EXPECT_EQ(kBack, At(*picture, 3, 8.5, 6.5));
        EXPECT_EQ(kBack, At(*picture, 3, 0.5, 0.5));
        EXPECT_EQ(kForm, picture->PixelColor(5, 5));
        // The segment's edge stays on the scaled grid: (4, 2) is lit, (3, 2) is not.
        EXPECT_EQ(kLight, At(*picture, 3, 4.5, 2.5));
        EXPECT_EQ(kBack, At(*picture, 3, 3.5, 2.5));
    }

    m_led->Off(4);
    m_led->SetTransparent(true);
    auto picture = Render(*m_form);
    EXPECT_EQ(kDark, At(*picture, 3, 8.5, 2.5)) << "an LED that is off lights nothing";
    EXPECT_EQ(kLight, At(*picture, 2, 14.5, 14.5));
    EXPECT_EQ(kForm, At(*picture, 3, 8.5, 6.5)) << "transparent background: the form shows";
}

} // namespace
