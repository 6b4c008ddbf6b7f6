// KdImage: a 32-bit picture blended over what lies below it, pixel by pixel as the formula says.
#include "lumo/widget/Source/KdImage.h"
#include "tests/kd/KdTestSupport.h"

namespace {

using lumo::TBitmap;
using lumo::TPixelFormat;

class ImageTest : public kdtest::KdTest
{
protected:
    void SetUp() override
    {
        KdTest::SetUp();
        // A background of many colours: the blend must use what is really below each pixel.
        auto* below = new lumo::TImage(m_form);
        below->SetParent(m_form);
        below->SetBounds(0, 0, 64, 64);
        formstest::Fill(below->Picture(), 64, 64, lumo::clBlack);
        for (int y = 0; y < 64; ++y) {
            BYTE* row = below->Picture().ScanLine(y);
            for (int x = 0; x < 64; ++x) {
                row[3 * x] = static_cast<BYTE>(x * 4);
                row[3 * x + 1] = static_cast<BYTE>(255 - y * 3);
                row[3 * x + 2] = static_cast<BYTE>((x * 7 + y * 13) & 0xFF);
            }
        }
        below->Picture().Changed();
        m_below = formstest::Render(*m_form);
    }
    void TearDown() override
    {
        m_below.reset();
        KdTest::TearDown();
    }

    // 16 x 16, every alpha value from 0 to 255 once, colours varying independently.
    void MakePicture(TBitmap& picture)
    {
        picture.SetPixelFormat(TPixelFormat::pf32bit);
        picture.SetSize(16, 16);
        for (int y = 0; y < 16; ++y) {
            BYTE* row = picture.ScanLine(y);
            for (int x = 0; x < 16; ++x) {
                BYTE* pixel = row + 4 * x;
                pixel[0] = static_cast<BYTE>(x * 16 + 5);
                pixel[1] = static_cast<BYTE>(200 - y * 9);
                pixel[2] = static_cast<BYTE>((x * 31 + y * 17) & 0xFF);
                pixel[3] = static_cast<BYTE>(y * 16 + x);
            }
        }
        picture.Changed();
    }

    // The formula taken literally, in real numbers, then truncated.
    static int Blend(int d, int s, int a, bool alphaBlend, int alphaValue)
    {
        double x = a / 255.0;
        if (alphaBlend) {
            x *= alphaValue / 255.0;
        }
        return static_cast<int>(d * (1 - x) + s * x + 1e-9);
    }

    // Checks every pixel of the control at (left, top) against the blend (or the background
    // outside the picture).
    void ExpectBlended(const KdImage& image, const TBitmap& picture, bool alphaBlend,
                       int alphaValue)
    {
        auto shown = formstest::Render(*m_form);
        int mismatches = 0;
        int truncatedNotRounded = 0;
        for (int y = 0; y < image.Height(); ++y) {
            for (int x = 0; x < image.Width(); ++x) {
                COLORREF below =
                    static_cast<COLORREF>(m_below->PixelColor(image.Left() + x, image.Top() + y));
                COLORREF expected = below;
                if (x < picture.Width() && y < picture.Height()) {
                    const BYTE* s = picture.ScanLine(y) + 4 * x;
                    expected = RGB(Blend(GetRValue(below), s[2], s[3], alphaBlend, alphaValue),
                                   Blend(GetGValue(below), s[1], s[3], alphaBlend, alphaValue),
                                   Blend(GetBValue(below), s[0], s[3], alphaBlend, alphaValue));
                    double exact = GetRValue(below) * (1 - s[3] / 255.0) + s[2] * s[3] / 255.0;
                    if (!alphaBlend && exact - static_cast<int>(exact) > 0.5) {
                        ++truncatedNotRounded;
                    }
                }
                COLORREF actual =
                    static_cast<COLORREF>(shown->PixelColor(image.Left() + x, image.Top() + y));
                if (actual != expected && ++mismatches <= 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << actual
                                  << " instead of " << expected;
                }
            }
        }
        EXPECT_EQ(0, mismatches);
        if (!alphaBlend) {
            EXPECT_GT(truncatedNotRounded, 10) << "the picture tells truncation from rounding";
        }
    }

    std::unique_ptr<TBitmap> m_below;
};

TEST_F(ImageTest, AlphaPictureIsBlendedOverWhatLiesBelow)
{
    auto* image = new KdImage(m_form);
    image->SetParent(m_form);
    image->SetLeft(10);
    image->SetTop(20);
    image->SetAutoSize(true);
    TBitmap picture;
    MakePicture(picture);
    image->SetPicture(picture);
    EXPECT_EQ(16, image->Width()) << "auto-size";
    image->SetAlphaChannel(true);
    ExpectBlended(*image, picture, false, 255);

    image->SetAlphaBlend(true);
    image->SetAlphaValue(128);
    ExpectBlended(*image, picture, true, 128);

    // The blend stops at the smaller of picture and control.
    image->SetAutoSize(false);
    image->SetBounds(30, 5, 24, 10);
    ExpectBlended(*image, picture, true, 128);
}

TEST_F(ImageTest, TwentyFourBitPictureIsDrawnOpaque)
{
    auto* image = new KdImage(m_form);
    image->SetParent(m_form);
    image->SetAutoSize(true);
    image->SetAlphaChannel(true);
    formstest::Fill(image->Picture(), 8, 8, 0x3366CC);
    auto shown = formstest::Render(*m_form);
    EXPECT_EQ(64, formstest::CountColor(*shown, RECT{0, 0, 8, 8}, 0x3366CC));
}

TEST_F(ImageTest, OnlyChangesThatShowRepaint)
{
    auto* image = new KdImage(m_form);
    image->SetParent(m_form);
    TBitmap picture;
    MakePicture(picture);
    image->SetPicture(picture);
    ShowForm();
    HWND window = m_form->Handle();
    auto invalidated = [&] {
        RECT update;
        bool result = GetUpdateRect(window, &update, FALSE) != FALSE;
        ValidateRect(window, nullptr);
        return result;
    };
    invalidated();
    image->SetAlphaValue(100);
    EXPECT_FALSE(invalidated()) << "AlphaValue alone shows nothing";
    image->SetAlphaChannel(true);
    EXPECT_TRUE(invalidated());
    image->SetAlphaBlend(true);
    EXPECT_TRUE(invalidated());
    image->SetAlphaValue(100);
    EXPECT_FALSE(invalidated()) << "the same value";
    image->SetAlphaValue(50);
    EXPECT_TRUE(invalidated());
}

} // namespace
