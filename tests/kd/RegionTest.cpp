// Shapes from bitmaps: the region of the opaque pixels, and a shaped control that lets clicks on
// its cut-away pixels through to what lies below.
#include "lumo/Graphics/Region.h"
#include "tests/kd/KdTestSupport.h"

namespace {

using lumo::TBitmap;
using lumo::TPixelFormat;
using lumo::WinRegion;

constexpr lumo::TColor kKey = 0xFF00FF;

// White 16 x 8 with the key colour in the lower-left pixel, a run of three, one pixel alone, a
// whole row and the right edge of a row.
void KeyedPicture(TBitmap& bitmap, TPixelFormat format)
{
    formstest::Fill(bitmap, 16, 8, lumo::clWhite);
    kdtest::FillRect(bitmap, RECT{0, 7, 1, 8}, kKey);
    kdtest::FillRect(bitmap, RECT{5, 2, 8, 3}, kKey);
    kdtest::FillRect(bitmap, RECT{10, 4, 11, 5}, kKey);
    kdtest::FillRect(bitmap, RECT{0, 5, 16, 6}, kKey);
    kdtest::FillRect(bitmap, RECT{12, 6, 16, 7}, kKey);
    bitmap.SetPixelFormat(format);
}

void ExpectShapeOf(const TBitmap& bitmap, const WinRegion& region)
{
    for (int y = -1; y <= bitmap.Height(); ++y) {
        for (int x = -1; x <= bitmap.Width(); ++x) {
            bool opaque = x >= 0 && y >= 0 && x < bitmap.Width() && y < bitmap.Height() &&
                          bitmap.PixelColor(x, y) != kKey;
            EXPECT_EQ(opaque, region.Contains(x, y)) << "pixel " << x << "," << y;
        }
    }
}

TEST(WinRegionTest, EveryPixelOfTheKeyColourIsCutOutInEveryFormat)
{
    for (TPixelFormat format :
         {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf4bit}) {
        SCOPED_TRACE(static_cast<int>(format));
        TBitmap bitmap;
        KeyedPicture(bitmap, format);
        if (format == TPixelFormat::pf32bit) {
            bitmap.ScanLine(0)[3] = 0x40;
        }
        ASSERT_EQ(kKey, bitmap.TransparentColor()) << "the lower-left pixel";
        WinRegion region;
        region.BuildFromBitmap(bitmap, bitmap.TransparentColor());
        ExpectShapeOf(bitmap, region);
        EXPECT_EQ(format, bitmap.PixelFormat());
        if (format == TPixelFormat::pf32bit) {
            EXPECT_EQ(0x40, bitmap.ScanLine(0)[3]) << "the alpha channel stays";
        }
    }
}

TEST(WinRegionTest, WithoutTheKeyColourTheWholeRectangle)
{
    TBitmap bitmap;
    formstest::Fill(bitmap, 30, 20, 0x123456);
    WinRegion region;
    EXPECT_TRUE(region.IsEmpty());
    region.BuildFromBitmap(bitmap, kKey);
    EXPECT_EQ(1, region.RectCount());
    RECT bounds = region.Bounds();
    EXPECT_EQ(0, bounds.left);
    EXPECT_EQ(30, bounds.right);
    EXPECT_EQ(20, bounds.bottom);
    region.BuildFromBitmap(bitmap, lumo::clNone);
    EXPECT_EQ(1, region.RectCount());

    // A fully keyed row splits it into the parts above and below.
    kdtest::FillRect(bitmap, RECT{0, 6, 30, 7}, kKey);
    region.BuildFromBitmap(bitmap, kKey);
    EXPECT_EQ(2, region.RectCount());
    ExpectShapeOf(bitmap, region);

    // A copy is a region of its own with the same contents.
    lumo::RegionHandle copy = region.Copy();
    EXPECT_TRUE(EqualRgn(copy.Get(), region.Handle()));
    region.SetEmpty();
    EXPECT_FALSE(EqualRgn(copy.Get(), region.Handle()));
}

class ShapedControlTest : public kdtest::KdTest
{};

TEST_F(ShapedControlTest, AClickOnAKeyedPixelReachesTheWindowBelow)
{
    auto* button = new KdButton(m_form);
    button->SetParent(m_form);
    button->SetBounds(40, 40, 0, 0);
    TBitmap face;
    formstest::Fill(face, 60, 40, 0x2060A0);
    kdtest::FillRect(face, RECT{0, 0, 10, 40}, kKey);
    kdtest::FillRect(face, RECT{25, 15, 35, 25}, kKey);
    button->Appearance().SetRaisedBmp(face);
    EXPECT_EQ(kKey, button->TransparentColor());
    EXPECT_TRUE(button->HitTest(30, 20)) << "opaque while not Transparent";
    button->SetTransparent(true);
    EXPECT_FALSE(button->HitTest(30, 20));
    EXPECT_FALSE(button->HitTest(5, 20));
    EXPECT_TRUE(button->HitTest(40, 5));
    Watch(*button, "b");
    m_form->OnClick = [this](lumo::TObject*) { Note("form click"); };
    ShowForm();
    lumo::RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(button->Handle(), shape.Get()));
    EXPECT_TRUE(EqualRgn(shape.Get(), button->Region().Handle()));

    ClickAt(*button, 30, 20);
    ClickAt(*button, 5, 20);
    ClickAt(*button, 45, 5);
    std::vector<std::string> expected = {"form click", "form click", "b enter", "b click"};
    EXPECT_EQ(expected, m_journal);

    // Another key colour reshapes the control; not Transparent gives the full rectangle back.
    button->SetTransparentColor(0x2060A0);
    EXPECT_TRUE(button->HitTest(5, 20));
    EXPECT_FALSE(button->HitTest(45, 5));
    button->SetTransparent(false);
    EXPECT_TRUE(button->HitTest(30, 20));
    EXPECT_EQ(ERROR, GetWindowRgn(button->Handle(), shape.Get()));
}

} // namespace
