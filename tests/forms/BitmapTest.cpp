#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Exception.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using lumo::TBitmap;
using lumo::TColor;
using lumo::TPixelFormat;

class BitmapTest : public testing::Test
{
protected:
    void SetUp() override { m_gdiBefore = lumo::LiveGdiObjects(); }
    void TearDown() override { EXPECT_EQ(m_gdiBefore, lumo::LiveGdiObjects()); }
    long m_gdiBefore = 0;
};

// ---- a small BMP writer, independent of the code under test ---------------------------------

void Put(std::vector<BYTE>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
    }
}

struct BmpLayout
{
    int width = 2;
    int height = 2;
    int bpp = 24;
    std::uint32_t compression = BI_RGB;
    std::vector<std::uint32_t> masks;   // written after a 40-byte header
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    bool topDown = false;
    bool coreHeader = false;
    bool fileHeader = true;
    // Pixel value of (x, y), y = 0 is the top row: a palette index, a 16- or 32-bit word, or
    // 0x00RRGGBB for 24 bits.
    std::function<std::uint32_t(int x, int y)> pixel;
};

std::vector<BYTE> MakeBmp(const BmpLayout& layout)
{
    std::vector<BYTE> info;
    if (layout.coreHeader) {
        Put(info, 12, 4);
        Put(info, layout.width, 2);
        Put(info, layout.height, 2);
        Put(info, 1, 2);
        Put(info, layout.bpp, 2);
    } else {
        Put(info, 40, 4);
        Put(info, static_cast<std::uint32_t>(layout.width), 4);
        Put(info, static_cast<std::uint32_t>(layout.topDown ? -layout.height : layout.height), 4);
        Put(info, 1, 2);
        Put(info, layout.bpp, 2);
        Put(info, layout.compression, 4);
        Put(info, 0, 4);
        Put(info, 2835, 4);
        Put(info, 2835, 4);
        Put(info, static_cast<std::uint32_t>(layout.palette.size()), 4);
        Put(info, 0, 4);
        for (std::uint32_t mask : layout.masks) {
            Put(info, mask, 4);
        }
    }
    for (std::uint32_t colour : layout.palette) {
        Put(info, colour & 0xFF, 1);
        Put(info, (colour >> 8) & 0xFF, 1);
        Put(info, (colour >> 16) & 0xFF, 1);
        if (!layout.coreHeader) {
            Put(info, 0, 1);
        }
    }
    int stride = ((layout.width * layout.bpp + 31) / 32) * 4;
    std::vector<BYTE> pixels;
    for (int row = 0; row < layout.height; ++row) {
        int y = layout.topDown ? row : layout.height - 1 - row;
        std::vector<BYTE> line(static_cast<size_t>(stride), 0);
        for (int x = 0; x < layout.width; ++x) {
            std::uint32_t v = layout.pixel(x, y);
            switch (layout.bpp) {
            case 1:
                line[x / 8] |= static_cast<BYTE>((v & 1) << (7 - x % 8));
                break;
            case 4:
                line[x / 2] |= static_cast<BYTE>((v & 0xF) << (x % 2 ? 0 : 4));
                break;
            case 8:
                line[x] = static_cast<BYTE>(v);
                break;
            case 16:
                line[2 * x] = static_cast<BYTE>(v);
                line[2 * x + 1] = static_cast<BYTE>(v >> 8);
                break;
            case 24:
                line[3 * x] = static_cast<BYTE>(v);
                line[3 * x + 1] = static_cast<BYTE>(v >> 8);
                line[3 * x + 2] = static_cast<BYTE>(v >> 16);
                break;
            case 32:
                for (int i = 0; i < 4; ++i) {
                    line[4 * x + i] = static_cast<BYTE>(v >> (8 * i));
                }
                break;
            }
        }
        pixels.insert(pixels.end(), line.begin(), line.end());
    }
    std::vector<BYTE> out;
    if (layout.fileHeader) {
        out.push_back('B');
        out.push_back('M');
        Put(out, static_cast<std::uint32_t>(14 + info.size() + pixels.size()), 4);
        Put(out, 0, 4);
        Put(out, static_cast<std::uint32_t>(14 + info.size()), 4);
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

TColor Rgb(std::uint32_t rrggbb)
{
    return static_cast<TColor>(RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF));
}

void WriteFile(const std::string& path, const std::vector<BYTE>& data)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
}

// ---- DIB sections and scan lines -------------------------------------------------------------

TEST_F(BitmapTest, NewBitmapsAreWhiteInEachPixelFormat)
{
    for (TPixelFormat format :
         {TPixelFormat::pf4bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap bitmap(5, 3, format);
        EXPECT_EQ(5, bitmap.Width());
        EXPECT_EQ(3, bitmap.Height());
        EXPECT_EQ(format, bitmap.PixelFormat());
        EXPECT_NE(nullptr, bitmap.Handle());
        EXPECT_EQ(((5 * static_cast<int>(format) + 31) / 32) * 4, bitmap.BytesPerLine());
        EXPECT_EQ(lumo::clWhite, bitmap.PixelColor(0, 0));
        EXPECT_EQ(lumo::clWhite, bitmap.PixelColor(4, 2));
        EXPECT_EQ(lumo::clNone, bitmap.PixelColor(5, 0));
        EXPECT_EQ(nullptr, bitmap.ScanLine(3));
    }
}

TEST_F(BitmapTest, ScanLinesAreTopDownRowsThatGdiSees)
{
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    BYTE* bottom = bitmap.ScanLine(1);
    bottom[3] = 0x11; // blue
    bottom[4] = 0x22; // green
    bottom[5] = 0x33; // red
    EXPECT_EQ(RGB(0x33, 0x22, 0x11), static_cast<COLORREF>(bitmap.PixelColor(1, 1)));
    EXPECT_EQ(RGB(0x33, 0x22, 0x11), static_cast<COLORREF>(bitmap.Canvas().Pixel(1, 1)));

    TBitmap alpha(2, 2, TPixelFormat::pf32bit);
    alpha.Canvas().SetPixel(1, 0, lumo::clRed);
    const BYTE* top = alpha.ScanLine(0);
    EXPECT_EQ(0, top[4]);
    EXPECT_EQ(0, top[5]);
    EXPECT_EQ(255, top[6]);

    TBitmap nibbles(3, 1, TPixelFormat::pf4bit);
    nibbles.ScanLine(0)[0] = 0x9C; // pixel 0: entry 9 (red), pixel 1: entry 12 (blue)
    EXPECT_EQ(lumo::clRed, nibbles.PixelColor(0, 0));
    EXPECT_EQ(lumo::clBlue, nibbles.PixelColor(1, 0));
    EXPECT_EQ(lumo::clRed, nibbles.Canvas().Pixel(0, 0));
}

TEST_F(BitmapTest, ResizingKeepsTheTopLeftAndWhitensTheRest)
{
    TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    bitmap.Canvas().SetPixel(0, 0, lumo::clRed);
    bitmap.Canvas().SetPixel(1, 1, lumo::clBlue);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(0, 0));
    EXPECT_EQ(lumo::clBlue, bitmap.PixelColor(1, 1));
    EXPECT_EQ(lumo::clWhite, bitmap.PixelColor(2, 2));
    EXPECT_EQ(lumo::clWhite, bitmap.PixelColor(2, 0));
    bitmap.SetSize(1, 1);
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(0, 0));
    bitmap.SetSize(0, 0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(nullptr, bitmap.Handle());

    TBitmap nibbles(3, 1, TPixelFormat::pf4bit);
    nibbles.Canvas().SetPixel(0, 0, lumo::clRed);
    nibbles.Canvas().SetPixel(2, 0, lumo::clBlue);
    nibbles.SetSize(1, 1);
    nibbles.SetSize(2, 1);
    EXPECT_EQ(lumo::clRed, nibbles.PixelColor(0, 0));
    EXPECT_EQ(lumo::clWhite, nibbles.PixelColor(1, 0));
}

TEST_F(BitmapTest, PixelFormatChangesKeepTheColours)
{
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    bitmap.Canvas().SetPixel(0, 0, RGB(10, 20, 30));
    bitmap.Canvas().SetPixel(1, 0, lumo::clRed);
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(TPixelFormat::pf32bit, bitmap.PixelFormat());
    EXPECT_EQ(static_cast<TColor>(RGB(10, 20, 30)), bitmap.PixelColor(0, 0));
    EXPECT_EQ(255, bitmap.ScanLine(0)[3]) << "a 24-bit picture is opaque";
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(static_cast<TColor>(RGB(10, 20, 30)), bitmap.PixelColor(0, 0));
    bitmap.SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(1, 0)) << "red is one of the 16 colours";
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(1, 0));
    // The canvas follows the new picture.
    bitmap.Canvas().SetPixel(0, 0, lumo::clLime);
    EXPECT_EQ(lumo::clLime, bitmap.PixelColor(0, 0));
}

// ---- transparency ----------------------------------------------------------------------------

TEST_F(BitmapTest, TransparentColourIsTheLowerLeftPixelUnlessSet)
{
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    EXPECT_EQ(lumo::TTransparentMode::tmAuto, bitmap.TransparentMode());
    bitmap.Canvas().SetPixel(0, 1, lumo::clFuchsia);
    bitmap.Canvas().SetPixel(0, 0, lumo::clRed);
    EXPECT_EQ(lumo::clFuchsia, bitmap.TransparentColor());
    bitmap.Canvas().SetPixel(0, 1, lumo::clAqua);
    EXPECT_EQ(lumo::clAqua, bitmap.TransparentColor()) << "follows the picture";

    bitmap.SetTransparentColor(lumo::clLime);
    EXPECT_EQ(lumo::TTransparentMode::tmFixed, bitmap.TransparentMode());
    EXPECT_EQ(lumo::clLime, bitmap.TransparentColor());
    bitmap.SetTransparentMode(lumo::TTransparentMode::tmAuto);
    EXPECT_EQ(lumo::clAqua, bitmap.TransparentColor());

    TBitmap empty;
    EXPECT_EQ(lumo::clNone, empty.TransparentColor());
}

TEST_F(BitmapTest, TransparentBitmapsLeaveTheirColourOutWhenDrawn)
{
    TBitmap sprite(2, 2, TPixelFormat::pf24bit);
    sprite.Canvas().Brush().SetColor(lumo::clFuchsia);
    sprite.Canvas().FillRect(RECT{0, 0, 2, 2});
    sprite.Canvas().SetPixel(1, 0, lumo::clBlue);
    sprite.SetTransparent(true);

    TBitmap target(2, 2, TPixelFormat::pf32bit);
    target.Canvas().Brush().SetColor(lumo::clYellow);
    target.Canvas().FillRect(RECT{0, 0, 2, 2});
    target.Canvas().Draw(0, 0, sprite);
    EXPECT_EQ(lumo::clYellow, target.PixelColor(0, 0));
    EXPECT_EQ(lumo::clBlue, target.PixelColor(1, 0));
    EXPECT_EQ(lumo::clYellow, target.PixelColor(1, 1));

    sprite.SetTransparent(false);
    target.Canvas().Draw(0, 0, sprite);
    EXPECT_EQ(lumo::clFuchsia, target.PixelColor(0, 0));
}

// ---- copying and change notification -----------------------------------------------------------

TEST_F(BitmapTest, AssignCopiesPictureFormatAndTransparency)
{
    TBitmap source(4, 3, TPixelFormat::pf32bit);
    source.Canvas().SetPixel(2, 1, lumo::clRed);
    source.ScanLine(1)[2 * 4 + 3] = 77;
    source.SetTransparentColor(lumo::clBlue);
    source.SetTransparent(true);

    TBitmap copy;
    copy.Assign(source);
    EXPECT_EQ(4, copy.Width());
    EXPECT_EQ(3, copy.Height());
    EXPECT_EQ(TPixelFormat::pf32bit, copy.PixelFormat());
    EXPECT_EQ(lumo::clRed, copy.PixelColor(2, 1));
    EXPECT_EQ(77, copy.ScanLine(1)[2 * 4 + 3]) << "alpha is copied";
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(lumo::clBlue, copy.TransparentColor());
    EXPECT_NE(source.Handle(), copy.Handle());

    source.Canvas().SetPixel(2, 1, lumo::clLime);
    EXPECT_EQ(lumo::clRed, copy.PixelColor(2, 1)) << "the copy is independent";

    TBitmap nibbles(3, 1, TPixelFormat::pf4bit);
    nibbles.Canvas().SetPixel(1, 0, lumo::clNavy);
    copy.Assign(nibbles);
    EXPECT_EQ(TPixelFormat::pf4bit, copy.PixelFormat());
    EXPECT_EQ(lumo::clNavy, copy.PixelColor(1, 0));
}

TEST_F(BitmapTest, ChangesOfThePictureAreNotified)
{
    TBitmap bitmap(2, 2);
    int changes = 0;
    bitmap.OnChange = [&](lumo::TObject* sender) {
        EXPECT_EQ(&bitmap, sender);
        ++changes;
    };
    bitmap.SetSize(3, 3);
    EXPECT_EQ(1, changes);
    bitmap.Canvas().FillRect(RECT{0, 0, 1, 1});
    EXPECT_EQ(2, changes);
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(lumo::clRed);
    EXPECT_EQ(4, changes);
    TBitmap other(1, 1);
    bitmap.Assign(other);
    EXPECT_EQ(5, changes);
    bitmap.SetSize(1, 1);
    EXPECT_EQ(5, changes) << "the same size is no change";
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(5, changes) << "a format switch keeps the picture";
    bitmap.Clear();
    EXPECT_EQ(6, changes);
}

// ---- BMP files ---------------------------------------------------------------------------------

TEST_F(BitmapTest, ReadsEveryUncompressedDepth)
{
    tvtest::TempDir dir;
    struct Case
    {
        const char* name;
        BmpLayout layout;
        TPixelFormat format;
    };
    auto colours = [](int x, int y) { return static_cast<std::uint32_t>(x + 2 * y); };
    std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Expected colours of (x, y) by index x + 2y through the palette above.
    std::vector<Case> cases;
    {
        BmpLayout s;
        s.bpp = 1;
        s.palette = {0x102030, 0xA0B0C0};
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 2); };
        cases.push_back({"1bit", s, TPixelFormat::pf24bit});
    }
    {
        BmpLayout s;
        s.bpp = 4;
        s.palette = palette;
        s.pixel = colours;
        cases.push_back({"4bit", s, TPixelFormat::pf4bit});
    }
    {
        BmpLayout s;
        s.bpp = 8;
        s.palette = palette;
        s.pixel = colours;
        cases.push_back({"8bit", s, TPixelFormat::pf24bit});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.Path() + c.name + ".bmp";
        WriteFile(path, MakeBmp(c.layout));
        TBitmap bitmap;
        bitmap.LoadFromFile(path);
        EXPECT_EQ(c.format, bitmap.PixelFormat());
        ASSERT_EQ(2, bitmap.Width());
        ASSERT_EQ(2, bitmap.Height());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                EXPECT_EQ(Rgb(c.layout.palette[c.layout.pixel(x, y)]), bitmap.PixelColor(x, y))
                    << x << "," << y;
            }
        }
    }
}

TEST_F(BitmapTest, ReadsTrueColourAndBitFieldPictures)
{
    TBitmap bitmap;
    BmpLayout rgb;
    rgb.width = 3;
    rgb.pixel = [](int x, int y) { return static_cast<std::uint32_t>(0x102030 * (x + 1) + y); };
    std::vector<BYTE> data = MakeBmp(rgb);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(TPixelFormat::pf24bit, bitmap.PixelFormat());
    EXPECT_EQ(Rgb(0x306090 + 1), bitmap.PixelColor(2, 1));

    BmpLayout topDown = rgb;
    topDown.topDown = true;
    data = MakeBmp(topDown);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(Rgb(0x306090 + 1), bitmap.PixelColor(2, 1)) << "top-down rows";

    BmpLayout x555;
    x555.bpp = 16;
    x555.pixel = [](int, int) { return 0x7C00u; }; // full red
    data = MakeBmp(x555);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(1, 1));

    BmpLayout r565;
    r565.bpp = 16;
    r565.compression = BI_BITFIELDS;
    r565.masks = {0xF800, 0x07E0, 0x001F};
    r565.pixel = [](int, int) { return 0x07E0u; }; // full green
    data = MakeBmp(r565);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(lumo::clLime, bitmap.PixelColor(0, 0));

    BmpLayout argb;
    argb.bpp = 32;
    argb.pixel = [](int x, int) { return x ? 0x80FF0000u : 0x000000FFu; };
    data = MakeBmp(argb);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(TPixelFormat::pf32bit, bitmap.PixelFormat());
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(1, 0));
    EXPECT_EQ(0x80, bitmap.ScanLine(0)[7]) << "alpha as stored";

    BmpLayout fields;
    fields.bpp = 32;
    fields.compression = BI_BITFIELDS;
    fields.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    fields.pixel = [](int, int) { return 0x000000FFu; }; // red in the low byte here
    data = MakeBmp(fields);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(lumo::clRed, bitmap.PixelColor(0, 1));

    BmpLayout core;
    core.coreHeader = true;
    core.bpp = 8;
    core.palette = {0x112233, 0x445566};
    core.palette.resize(256, 0); // a core header always has the full table
    core.pixel = [](int x, int) { return static_cast<std::uint32_t>(x); };
    data = MakeBmp(core);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(Rgb(0x445566), bitmap.PixelColor(1, 0));

    BmpLayout packed = rgb;
    packed.fileHeader = false;
    data = MakeBmp(packed);
    bitmap.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(Rgb(0x306090 + 1), bitmap.PixelColor(2, 1)) << "a packed DIB as in resources";
}

TEST_F(BitmapTest, DamagedFilesAreRefusedAndLeaveTheBitmapAsItWas)
{
    BmpLayout good;
    good.pixel = [](int, int) { return 0u; };
    std::vector<BYTE> valid = MakeBmp(good);

    std::vector<std::pair<const char*, std::vector<BYTE>>> broken;
    broken.push_back({"empty", {}});
    broken.push_back({"magic only", {'B', 'M'}});
    broken.push_back({"truncated pixels", std::vector<BYTE>(valid.begin(), valid.end() - 4)});
    std::vector<BYTE> badHeader = valid;
    badHeader[14] = 41;
    broken.push_back({"unknown header size", badHeader});
    std::vector<BYTE> rle = valid;
    rle[14 + 16] = BI_RLE8;
    broken.push_back({"compressed", rle});
    std::vector<BYTE> zeroWidth = valid;
    zeroWidth[18] = 0;
    broken.push_back({"zero width", zeroWidth});
    std::vector<BYTE> huge = valid;
    huge[18 + 3] = 0x7F;
    huge[22 + 3] = 0x7F;
    broken.push_back({"huge", huge});
    std::vector<BYTE> offset = valid;
    offset[10 + 2] = 0x10;
    broken.push_back({"offset past the end", offset});
    std::vector<BYTE> depth = valid;
    depth[14 + 14] = 7;
    broken.push_back({"odd depth", depth});
    BmpLayout bigPalette;
    bigPalette.bpp = 4;
    bigPalette.palette.assign(17, 0);
    bigPalette.pixel = [](int, int) { return 0u; };
    broken.push_back({"palette too large", MakeBmp(bigPalette)});

    TBitmap bitmap(1, 1);
    bitmap.Canvas().SetPixel(0, 0, lumo::clRed);
    for (auto& item : broken) {
        SCOPED_TRACE(item.first);
        EXPECT_THROW(bitmap.LoadFromMemory(item.second.data(), item.second.size()),
                     lumo::EInvalidGraphic);
        EXPECT_EQ(1, bitmap.Width());
        EXPECT_EQ(lumo::clRed, bitmap.PixelColor(0, 0));
    }
}

TEST_F(BitmapTest, MissingFileThrowsTheFileOpenError)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile("C:\\no such folder\\none.bmp");
        FAIL() << "no exception";
    } catch (const lumo::EFOpenError& e) {
        EXPECT_NE(std::string::npos, std::string(e.Message()).find("none.bmp"));
    }
    EXPECT_TRUE(bitmap.Empty());
}

TEST_F(BitmapTest, SavedFilesReadBackTheSame)
{
    tvtest::TempDir dir;
    for (TPixelFormat format :
         {TPixelFormat::pf4bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap bitmap(5, 3, format);
        bitmap.Canvas().SetPixel(0, 0, lumo::clRed);
        bitmap.Canvas().SetPixel(4, 2, lumo::clBlue);
        bitmap.Canvas().SetPixel(2, 1, lumo::clLime);
        std::string path = dir.Path() + "saved.bmp";
        bitmap.SaveToFile(path);
        TBitmap back;
        back.LoadFromFile(path);
        EXPECT_EQ(format, back.PixelFormat());
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(bitmap.PixelColor(x, y), back.PixelColor(x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(BitmapTest, LoadsPicturesFromTheProgramsResources)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    TBitmap byName;
    byName.LoadFromResourceName(module, "SAMPLE");
    EXPECT_EQ(4, byName.Width());
    EXPECT_EQ(3, byName.Height());
    EXPECT_EQ(lumo::clRed, byName.PixelColor(0, 0));
    EXPECT_EQ(static_cast<TColor>(RGB(200, 100, 50)), byName.PixelColor(1, 2));
    EXPECT_EQ(static_cast<TColor>(RGB(1, 2, 3)), byName.TransparentColor());

    TBitmap byId;
    byId.LoadFromResourceID(module, 101);
    EXPECT_EQ(static_cast<TColor>(RGB(100, 110, 120)), byId.PixelColor(3, 1));

    EXPECT_THROW(byId.LoadFromResourceName(module, "NOSUCHPICTURE"), lumo::Exception);
    EXPECT_EQ(4, byId.Width());
}

// The skin's pictures: a loaded picture and its copies read the same pixels, the program's own
// resources where they lie, and none has a DIB section until it is drawn or written.
TEST_F(BitmapTest, LoadedPicturesShareTheirPixelsUntilOneIsDrawnOrWritten)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, "SAMPLE", reinterpret_cast<LPCSTR>(RT_BITMAP));
    ASSERT_NE(nullptr, resource);
    const void* data = LockResource(LoadResource(module, resource));
    TBitmap decoded;
    decoded.LoadFromMemory(data, SizeofResource(module, resource));

    long before = lumo::LiveGdiObjects();
    TBitmap original;
    original.LoadFromResourceName(module, "SAMPLE");
    TBitmap copy, other;
    copy.Assign(original);
    other.Assign(copy);
    EXPECT_EQ(before, lumo::LiveGdiObjects()) << "no DIB section for a picture only held";
    EXPECT_FALSE(original.HandleAllocated());
    EXPECT_FALSE(copy.HandleAllocated());
    EXPECT_EQ(decoded.SaveToMemory(), original.SaveToMemory());
    EXPECT_EQ(decoded.SaveToMemory(), other.SaveToMemory());
    EXPECT_EQ(static_cast<TColor>(RGB(1, 2, 3)), other.TransparentColor());

    // Writing into one copy leaves the others as they were.
    BYTE* row = copy.ScanLine(0);
    ASSERT_NE(nullptr, row);
    row[0] = 0xFF; // blue
    row[2] = 0x00;
    EXPECT_EQ(lumo::clBlue, copy.PixelColor(0, 0));
    EXPECT_EQ(lumo::clRed, original.PixelColor(0, 0));
    EXPECT_EQ(lumo::clRed, other.PixelColor(0, 0));
    EXPECT_EQ(before + 1, lumo::LiveGdiObjects()) << "the written copy's own DIB section";

    // Drawn through its handle, the shared picture shows GDI its pixels.
    TBitmap target(4, 3);
    {
        lumo::MemoryDC source;
        lumo::SelectedObject selected(source.Get(), original.Handle());
        BitBlt(target.Canvas().Handle(), 0, 0, 4, 3, source.Get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    EXPECT_EQ(decoded.SaveToMemory(), target.SaveToMemory());
    EXPECT_TRUE(original.HandleAllocated());
    EXPECT_FALSE(other.HandleAllocated());

    // Decoded pixels live as long as a copy holds them.
    TBitmap survivor;
    {
        TBitmap loaded;
        loaded.LoadFromMemory(data, SizeofResource(module, resource));
        survivor.Assign(loaded);
    }
    EXPECT_EQ(decoded.SaveToMemory(), survivor.SaveToMemory());
}

TEST_F(BitmapTest, GdiObjectsAreCountedAndGiveBack)
{
    long before = lumo::LiveGdiObjects();
    {
        TBitmap bitmap(10, 10);
        EXPECT_EQ(before + 1, lumo::LiveGdiObjects()) << "the DIB section";
        bitmap.Canvas();
        EXPECT_EQ(before + 2, lumo::LiveGdiObjects()) << "plus the canvas's DC";
        bitmap.SetSize(20, 20);
        bitmap.SetPixelFormat(TPixelFormat::pf4bit);
        EXPECT_EQ(before + 2, lumo::LiveGdiObjects()) << "replaced, not added";
        bitmap.Canvas().TextOut(0, 0, "x");
        EXPECT_EQ(before + 3, lumo::LiveGdiObjects()) << "plus the canvas font";
    }
    EXPECT_EQ(before, lumo::LiveGdiObjects());
}

} // namespace
