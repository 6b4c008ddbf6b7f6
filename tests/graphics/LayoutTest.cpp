// Text layouts drawing into bitmaps: the plain and the shaded text, the default shadow and the
// owner-draw colours.
#include "lumo/Graphics/Layout/OwnerDrawLayout.h"
#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

using lumo::TBitmap;
using lumo::TColor;

constexpr UINT kCentred = DT_SINGLELINE | DT_CENTER | DT_VCENTER;

class LayoutTest : public formstest::AppTest
{
protected:
    std::unique_ptr<TBitmap> Sheet(int width, int height, TColor text)
    {
        auto sheet = std::make_unique<TBitmap>();
        formstest::Fill(*sheet, width, height, lumo::clWhite);
        sheet->Canvas().Font().SetName("Arial");
        sheet->Canvas().Font().SetHeight(-22);
        sheet->Canvas().Font().SetStyle(lumo::fsBold);
        sheet->Canvas().Font().SetColor(text);
        return sheet;
    }
};

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.PixelColor(x, y) != b.PixelColor(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// The box of every non-white pixel, the darkest value, and how much darkness lies outside a
// given box on each side.
struct Ink
{
    RECT box = {10000, 10000, -1, -1};
    int darkest = 255;
    long left = 0, right = 0, above = 0, below = 0;
};

Ink InkOf(const TBitmap& sheet, const RECT& around = RECT{0, 0, 0, 0})
{
    Ink ink;
    for (int y = 0; y < sheet.Height(); ++y) {
        for (int x = 0; x < sheet.Width(); ++x) {
            int value = sheet.PixelColor(x, y) & 0xFF;
            if (value == 255) {
                continue;
            }
            int darkness = 255 - value;
            ink.left += x < around.left ? darkness : 0;
            ink.right += x >= around.right ? darkness : 0;
            ink.above += y < around.top ? darkness : 0;
            ink.below += y >= around.bottom ? darkness : 0;
            ink.box.left = std::min<LONG>(ink.box.left, x);
            ink.box.top = std::min<LONG>(ink.box.top, y);
            ink.box.right = std::max<LONG>(ink.box.right, x + 1);
            ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
            ink.darkest = std::min(ink.darkest, value);
        }
    }
    return ink;
}

TEST_F(LayoutTest, DisabledShadowDrawsLikePlainTextInsideTheShrunkRectangle)
{
    lumo::TShadedTextLayout shaded;
    shaded.SetShadowEnabled(false);
    lumo::TTextLayout plain;
    RECT rect = {0, 0, 140, 40};
    RECT shrunk = {2, 2, 138, 38};
    for (UINT format : {kCentred, UINT(DT_SINGLELINE | DT_RIGHT | DT_BOTTOM)}) {
        auto a = Sheet(140, 40, lumo::clBlack);
        auto b = Sheet(140, 40, lumo::clBlack);
        shaded.DrawText(a->Canvas(), std::string("Volt 42"), rect, format);
        plain.DrawText(b->Canvas(), std::string("Volt 42"), shrunk, format);
        EXPECT_TRUE(SamePixels(*a, *b)) << format;
        auto wide = Sheet(140, 40, lumo::clBlack);
        shaded.DrawText(wide->Canvas(), std::wstring(L"Volt 42"), rect, format);
        EXPECT_TRUE(SamePixels(*wide, *b)) << "wide text " << format;
    }
    auto on = Sheet(140, 40, lumo::clBlack);
    shaded.SetShadowEnabled(true);
    shaded.DrawText(on->Canvas(), std::string("Volt 42"), rect, kCentred);
    auto off = Sheet(140, 40, lumo::clBlack);
    plain.DrawText(off->Canvas(), std::string("Volt 42"), shrunk, kCentred);
    EXPECT_FALSE(SamePixels(*on, *off)) << "the shadow shows";
}

TEST_F(LayoutTest, DefaultShadowIsOffsetBlurredAndAtMost120Of255Opaque)
{
    lumo::TShadedTextLayout shaded;
    EXPECT_EQ(1, shaded.ShadowOffsetX());
    EXPECT_EQ(1, shaded.ShadowOffsetY());
    EXPECT_EQ(120, shaded.ShadowAlpha());
    EXPECT_EQ(2, shaded.BlurRadius());
    EXPECT_EQ(lumo::clBlack, shaded.ShadowColor());

    // White text on white: only the shadow is left to see.
    RECT rect = {0, 0, 160, 50};
    auto shadow = Sheet(160, 50, lumo::clWhite);
    shaded.DrawText(shadow->Canvas(), std::string("Hexa 8"), rect, kCentred);
    auto text = Sheet(160, 50, lumo::clBlack);
    lumo::TTextLayout().DrawText(text->Canvas(), std::string("Hexa 8"), RECT{2, 2, 158, 48},
                                 kCentred);
    Ink t = InkOf(*text);
    Ink s = InkOf(*shadow, t.box);
    EXPECT_GE(s.darkest, 255 - 120) << "never more than 120/255 black";
    EXPECT_LT(s.darkest, 200) << "but clearly there";
    // The text covers the shadow where they overlap, so what shows lies right of and below the
    // letters more than left of and above them.
    EXPECT_GT(s.right, s.left) << "moved right";
    EXPECT_GT(s.below, s.above) << "moved down";
    // Blurred by at most the radius around the moved text.
    EXPECT_GE(s.box.left, t.box.left - 1);
    EXPECT_LE(s.box.left, t.box.left + 1);
    EXPECT_GE(s.box.top, t.box.top - 1);
    EXPECT_LE(s.box.top, t.box.top + 1);
    EXPECT_GE(s.box.right, t.box.right + 1);
    EXPECT_LE(s.box.right, t.box.right + 3);
    EXPECT_GE(s.box.bottom, t.box.bottom + 1);
    EXPECT_LE(s.box.bottom, t.box.bottom + 3);

    // The measured area holds the text after the radius is taken off, and the shadow.
    RECT measured = {5, 7, 500, 500};
    shaded.MeasureText(text->Canvas(), std::string("Hexa 8"), measured, DT_SINGLELINE);
    RECT plain = {0, 0, 500, 500};
    lumo::TTextLayout().MeasureText(text->Canvas(), std::string("Hexa 8"), plain, DT_SINGLELINE);
    EXPECT_EQ(5, measured.left);
    EXPECT_EQ(7, measured.top);
    EXPECT_EQ(plain.right + 2 * 2 + 1, measured.right - measured.left);
    EXPECT_EQ(plain.bottom + 2 * 2 + 1, measured.bottom - measured.top);

    shaded.SetBlurSigma(0);
    shaded.SetBlurSigma(-1);
    EXPECT_EQ(1.0f, shaded.BlurSigma()) << "only a positive sigma is taken";
}

TEST_F(LayoutTest, OwnerDrawStateChoosesTheTextColour)
{
    lumo::TOwnerDrawShadedTextLayout layout;
    EXPECT_EQ(lumo::clHighlightText, layout.HighlightColor());
    EXPECT_EQ(lumo::clGrayText, layout.DisabledColor());
    layout.SetHighlightColor(lumo::clRed);
    layout.SetDisabledColor(lumo::clGray);
    auto sheet = Sheet(10, 10, lumo::clBlue);
    lumo::TCanvas& canvas = sheet->Canvas();
    layout.SetColors(canvas, 0);
    EXPECT_EQ(lumo::clBlue, canvas.Font().Color()) << "a plain item keeps the font colour";
    layout.SetColors(canvas, ODS_SELECTED);
    EXPECT_EQ(lumo::clRed, canvas.Font().Color());
    layout.SetColors(canvas, ODS_SELECTED | ODS_DISABLED);
    EXPECT_EQ(lumo::clGray, canvas.Font().Color()) << "disabled wins over selected";
    canvas.Font().SetColor(lumo::clBlue);
    layout.SetColors(canvas, ODS_GRAYED);
    EXPECT_EQ(lumo::clGray, canvas.Font().Color());
    EXPECT_EQ(&layout.Shaded(), &layout.Layout()) << "draws through its shaded layout";
}

} // namespace
