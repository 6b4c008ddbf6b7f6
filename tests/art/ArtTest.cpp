// The skin's pictures as the program loads them: linked bitmaps by the names of SkinArt.h, the
// dial's PNGs through pngio.dll, the digit glyphs and tray icons from the stage's Resource\.
#include "tests/art/ArtKit.h"

#include "assets/art/SkinArt.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using arttest::Contrast;
using arttest::LoadResourceBitmap;
using arttest::Pixels;
using namespace skinart;

constexpr COLORREF kKey = RGB(255, 0, 255);

std::string Resource(const std::string& name)
{
    return arttest::ProgramDir() + kResourceFolder + name;
}

Pixels Bitmap(const char* name, int* bits = nullptr)
{
    Pixels p;
    EXPECT_TRUE(LoadResourceBitmap(name, p, bits)) << name << " is not linked";
    return p;
}

// Lowest contrast between colour and any pixel of box (clipped to the picture).
double WorstContrast(const Pixels& picture, RECT box, COLORREF colour)
{
    double worst = 21;
    for (int y = std::max(0, int(box.top)); y < std::min(picture.height, int(box.bottom)); ++y) {
        for (int x = std::max(0, int(box.left)); x < std::min(picture.width, int(box.right)); ++x) {
            worst = std::min(worst, Contrast(colour, picture.Colour(x, y)));
        }
    }
    return worst;
}

double MeanDifference(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height) {
        return 255;
    }
    double sum = 0;
    for (size_t i = 0; i < a.bgra.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(int(a.bgra[i + c]) - int(b.bgra[i + c]));
        }
    }
    return sum / (a.bgra.size() / 4 * 3);
}

bool KeyLike(const BYTE* p)
{
    return p[2] > 150 && p[0] > 150 && p[1] < 110;
}

bool SameRows(const Pixels& a, int aTop, const Pixels& b, int bTop, int rows)
{
    return std::equal(a.bgra.begin() + size_t(aTop) * a.width * 4,
                      a.bgra.begin() + size_t(aTop + rows) * a.width * 4,
                      b.bgra.begin() + size_t(bTop) * b.width * 4);
}

// ---- backgrounds -------------------------------------------------------------------------------

TEST(ArtBackgrounds, EachIsTwentyFourBitWithAKeyedOutlineAndACleanEdge)
{
    const std::map<std::string, SIZE> sizes = {
        {kLargeBk, {665, 522}},     {kSmallBk, {665, 522}}, {kProgressBk, {421, 142}},
        {kUniversalBk, {421, 142}}, {kVgaBk, {566, 219}},   {kCpuBk, {373, 219}},
        {kAdvancedBk, {444, 375}}};
    for (const char* name : kBackgrounds) {
        SCOPED_TRACE(name);
        int bits = 0;
        Pixels bk = Bitmap(name, &bits);
        EXPECT_EQ(24, bits);
        ASSERT_EQ(sizes.at(name).cx, bk.width);
        ASSERT_EQ(sizes.at(name).cy, bk.height);
        ASSERT_EQ(kKey, bk.Colour(0, bk.height - 1)) << "the lower-left pixel is the key";

        // Every key pixel is reached from the edge: none lies inside the opaque area.
        std::vector<char> outside(size_t(bk.width) * bk.height, 0);
        std::vector<POINT> todo;
        for (int x = 0; x < bk.width; ++x) {
            todo.push_back({x, 0});
            todo.push_back({x, bk.height - 1});
        }
        for (int y = 0; y < bk.height; ++y) {
            todo.push_back({0, y});
            todo.push_back({bk.width - 1, y});
        }
        while (!todo.empty()) {
            POINT p = todo.back();
            todo.pop_back();
            if (p.x < 0 || p.y < 0 || p.x >= bk.width || p.y >= bk.height) {
                continue;
            }
            char& seen = outside[size_t(p.y) * bk.width + p.x];
            if (seen || bk.Colour(p.x, p.y) != kKey) {
                continue;
            }
            seen = 1;
            todo.insert(todo.end(),
                        {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
        }
        int inside = 0, fringe = 0, opaque = 0;
        for (int y = 0; y < bk.height; ++y) {
            for (int x = 0; x < bk.width; ++x) {
                bool key = bk.Colour(x, y) == kKey;
                inside += key && !outside[size_t(y) * bk.width + x];
                if (!key) {
                    ++opaque;
                    bool edge = (x > 0 && bk.Colour(x - 1, y) == kKey) ||
                                (y > 0 && bk.Colour(x, y - 1) == kKey) ||
                                (x + 1 < bk.width && bk.Colour(x + 1, y) == kKey) ||
                                (y + 1 < bk.height && bk.Colour(x, y + 1) == kKey);
                    fringe += edge && KeyLike(bk.At(x, y));
                }
            }
        }
        EXPECT_EQ(0, inside) << "key-coloured pixels inside the picture would be holes";
        EXPECT_EQ(0, fringe) << "edge pixels tinted by the key colour";
        EXPECT_GT(opaque, bk.width * bk.height * 9 / 10);
    }
}

TEST(ArtBackgrounds, TheSmallViewIsTheLargeOneWithoutTheCo2Band)
{
    Pixels large = Bitmap(kLargeBk), small = Bitmap(kSmallBk);
    ASSERT_EQ(large.width, small.width);
    ASSERT_EQ(large.height, small.height);
    EXPECT_TRUE(SameRows(small, 0, large, 0, kBandTop));
    EXPECT_TRUE(SameRows(small, kBandTop, large, kBandTop + 33, large.height - kBandTop - 33));
    for (int y = large.height - 33; y < large.height; ++y) {
        for (int x = 0; x < large.width; ++x) {
            ASSERT_EQ(kKey, small.Colour(x, y)) << x << "," << y;
        }
    }
    // No seam where the band is cut out: the rows on either side of it match across.
    EXPECT_TRUE(SameRows(large, kBandTop - 1, large, kBandTop + 33, 1));
    // The shrink box stays put, so it must find the same pixels behind it in both views.
    for (int y = 196; y < 230; ++y) {
        for (int x = 25; x < 57; ++x) {
            ASSERT_EQ(large.Colour(x, y), small.Colour(x, y)) << x << "," << y;
        }
    }
}

// ---- controls ----------------------------------------------------------------------------------

TEST(ArtControls, EveryStateBitmapHasItsControlsSizeAndTheStatesAreDistinct)
{
    const std::map<std::string, SIZE> sizes = {
        {"CloseButton", {32, 19}},    {"MinimizeButton", {32, 19}}, {"CpuButton", {94, 94}},
        {"VgaButton", {94, 94}},      {"DriveButton", {94, 94}},    {"FanButton", {94, 94}},
        {"ResetButton", {30, 30}},    {"SwitchButton", {152, 30}},  {"MainTextButton", {130, 34}},
        {"ExitButton", {131, 34}},    {"DialogButton", {130, 34}},  {"PageButton", {130, 34}},
        {"VgaExitButton", {115, 35}}, {"CpuExitButton", {115, 35}}, {"Arrow", {21, 18}},
        {"ShrinkButton", {32, 34}},   {"AutoButton", {45, 45}},     {"NormalButton", {45, 45}},
        {"LowButton", {45, 45}},      {"TurboTab", {100, 28}},      {"NormalTab", {100, 28}},
        {"MediumTab", {100, 28}},     {"LowTab", {100, 28}}};
    auto check = [&](const FourStates& set) {
        std::string base(set.raised);
        base = base.substr(0, base.find('_'));
        SCOPED_TRACE(set.raised);
        const char* names[] = {set.raised, set.sunken, set.focused, set.disabled};
        Pixels states[4];
        for (int i = 0; i < 4; ++i) {
            int bits = 0;
            states[i] = Bitmap(names[i], &bits);
            EXPECT_EQ(24, bits) << names[i];
            EXPECT_EQ(sizes.at(base).cx, states[i].width) << names[i];
            EXPECT_EQ(sizes.at(base).cy, states[i].height) << names[i];
        }
        for (int i = 0; i < 4; ++i) {
            for (int j = i + 1; j < 4; ++j) {
                EXPECT_GT(MeanDifference(states[i], states[j]), 2.0)
                    << names[i] << " and " << names[j] << " look alike";
            }
        }
        return states[0];
    };
    for (const FourStates& set : kFourStateSets) {
        check(set);
    }
    for (const CheckStates& set : kCheckStateSets) {
        Pixels uncheck = check(set.uncheck), checked = check(set.check);
        EXPECT_GT(MeanDifference(uncheck, checked), 4.0) << set.check.raised;
    }
    // Status lights: lit and dark.
    Pixels lit = Bitmap(kStatusLed.normal), dark = Bitmap(kStatusLed.disabled);
    EXPECT_EQ(60, lit.width);
    EXPECT_EQ(12, lit.height);
    EXPECT_GT(MeanDifference(lit, dark), 20.0);
    // Pieces of the progress bar and the drop-downs.
    const std::map<std::string, SIZE> pieces = {
        {kProgressBarHead, {10, 18}}, {kProgressBarBody, {10, 18}}, {kProgressBarTail, {8, 18}},
        {kComboBoxBk, {132, 18}},     {kComboBoxBody, {171, 10}},   {kComboBoxBottom, {171, 8}},
        {kComboBoxMask, {171, 90}}};
    for (const char* name : kPieces) {
        int bits = 0;
        Pixels p = Bitmap(name, &bits);
        EXPECT_EQ(24, bits) << name;
        EXPECT_EQ(pieces.at(name).cx, p.width) << name;
        EXPECT_EQ(pieces.at(name).cy, p.height) << name;
    }
    // The bar's body is stretched sideways, so its columns must all be alike.
    Pixels body = Bitmap(kProgressBarBody);
    for (int y = 0; y < body.height; ++y) {
        for (int x = 1; x < body.width; ++x) {
            ASSERT_EQ(body.Colour(0, y), body.Colour(x, y)) << x << "," << y;
        }
    }
}

// ---- text against what lies behind it ----------------------------------------------------------

TEST(ArtText, LabelsAndCaptionsReadAtFourAndAHalfToOneOrBetter)
{
    // Main window labels at their places, in both views.
    for (bool small : {false, true}) {
        Pixels bk = Bitmap(small ? kSmallBk : kLargeBk);
        for (const arttest::Label& label : arttest::MainLabels()) {
            if (small && label.largeOnly) {
                continue;
            }
            RECT box = arttest::TextBox(label, small);
            EXPECT_GT(box.right - box.left, 10) << label.name;
            EXPECT_GE(WorstContrast(bk, box, label.colour), 4.5)
                << label.name << (small ? " (small view)" : " (large view)");
        }
    }
    // Captions on the text buttons' faces in the states that draw the caption colour.
    struct Face
    {
        FourStates set;
        RECT area;
    };
    const Face faces[] = {{kMainTextButton, {6, 4, 124, 26}}, {kExitButton, {6, 4, 125, 26}},
                          {kDialogButton, {6, 4, 124, 26}},   {kPageButton, {6, 4, 124, 26}},
                          {kVgaExitButton, {6, 4, 109, 27}},  {kCpuExitButton, {6, 4, 109, 27}},
                          {kSwitchButton, {34, 5, 130, 23}}};
    for (const Face& face : faces) {
        for (const char* name : {face.set.raised, face.set.focused, face.set.sunken}) {
            RECT area = face.area;
            if (name == face.set.sunken) {
                OffsetRect(&area, 2, 2);
            }
            EXPECT_GE(WorstContrast(Bitmap(name), area, arttest::kCaptionColour), 4.5) << name;
        }
    }
    // Dialog labels: dark text on the light bodies, light titles on the processor details.
    struct Box
    {
        const char* background;
        RECT box;
        COLORREF colour;
    };
    const Box boxes[] = {
        {kProgressBk, {39, 42, 392, 58}, kDialogText},
        {kUniversalBk, {38, 43, 391, 101}, kDialogText},
        {kVgaBk, {42, 53, 483, 115}, kDialogText},
        {kVgaBk, {42, 119, 400, 137}, 0xC4521A}, // the link
        {kCpuBk, {57, 56, 300, 72}, kCpuFormText},
        {kCpuBk, {58, 115, 300, 129}, kCpuFormText},
        {kAdvancedBk, {56, 82, 200, 95}, 0x4D3F28}, // drop-down captions
        {kAdvancedBk, {243, 82, 400, 95}, 0x4D3F28},
        {kAdvancedBk, {56, 180, 200, 193}, 0x4D3F28},
        {kComboBoxBk, {4, 2, 128, 16}, 0xFEFCF4}, // value text
        {kComboBoxBk, {4, 2, 128, 16}, kWarningOnPanel},
    };
    for (const Box& b : boxes) {
        EXPECT_GE(WorstContrast(Bitmap(b.background), b.box, b.colour), 4.5)
            << b.background << " at " << b.box.left << "," << b.box.top;
    }
}

// ---- figures: digit glyphs and unit pictures ---------------------------------------------------

TEST(ArtDisplay, DigitGlyphsAndUnitsSitOnTheDisplayStrips)
{
    Pixels glyphs[kGlyphCount];
    for (int i = 0; i < kGlyphCount; ++i) {
        char name[16];
        snprintf(name, sizeof name, "%02d.bmp", i);
        SCOPED_TRACE(name);
        int bits = 0;
        ASSERT_TRUE(
            arttest::LoadBmpFile(arttest::ProgramDir() + kNumberFolder + name, glyphs[i], &bits));
        EXPECT_EQ(24, bits);
        bool point = i == 10 || i == 12;
        EXPECT_EQ(point ? kPointSize[0] : kDigitSize[0], glyphs[i].width);
        EXPECT_EQ(point ? kPointSize[1] : kDigitSize[1], glyphs[i].height);
        EXPECT_EQ(kKey, glyphs[i].Colour(0, 0));
        int drawn = 0;
        for (int y = 0; y < glyphs[i].height; ++y) {
            for (int x = 0; x < glyphs[i].width; ++x) {
                if (glyphs[i].Colour(x, y) != kKey) {
                    ++drawn;
                    EXPECT_FALSE(KeyLike(glyphs[i].At(x, y))) << x << "," << y;
                }
            }
        }
        EXPECT_GT(drawn, 0);
    }
    for (int i = 0; i < 10; ++i) {
        for (int j = i + 1; j < 10; ++j) {
            EXPECT_GT(MeanDifference(glyphs[i], glyphs[j]), 3.0) << i << " and " << j;
        }
    }
    EXPECT_GT(MeanDifference(glyphs[10], glyphs[12]), 3.0) << "the shown point and the placed one";
    // The figures' rows lie on flat strips of the colour the glyphs and units were drawn on.
    const COLORREF strip =
        RGB(kDisplayStrip & 0xFF, (kDisplayStrip >> 8) & 0xFF, (kDisplayStrip >> 16) & 0xFF);
    struct Row
    {
        const char* background;
        RECT box;
    };
    const Row rows[] = {{kLargeBk, {46, 232, 46 + 162 + 28, 257}},         // CO2 and its unit
                        {kCpuBk, {59, 78, 59 + 95 + 18, 101}},             // power and W
                        {kCpuBk, {59, 134, 59 + 162 + 38 + 6 + 42, 160}}}; // energy, x10^-3, kWh
    for (const Row& row : rows) {
        Pixels bk = Bitmap(row.background);
        for (int y = row.box.top; y < row.box.bottom; ++y) {
            for (int x = row.box.left; x < row.box.right; ++x) {
                ASSERT_EQ(strip, bk.Colour(x, y)) << row.background << " " << x << "," << y;
            }
        }
    }
    for (const char* name : kUnitPictures) {
        Pixels unit = Bitmap(name);
        EXPECT_LE(unit.height, 20) << name;
        EXPECT_EQ(strip, unit.Colour(0, 0)) << name;
    }
}

// ---- tray icons --------------------------------------------------------------------------------

// The icon drawn at 16 pixels over a tray colour.
Pixels OnTray(HICON icon, COLORREF tray)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    HBRUSH brush = CreateSolidBrush(tray);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, brush);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    Pixels p;
    p.width = p.height = 16;
    p.bgra.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + 16 * 16 * 4);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteObject(dib);
    DeleteDC(dc);
    return p;
}

TEST(ArtIcons, TrayIconsLoadWithAlphaAndStayApartOnDarkAndLightTrays)
{
    const COLORREF trays[] = {RGB(32, 32, 32), RGB(240, 240, 240), RGB(16, 80, 160)};
    std::vector<std::vector<Pixels>> shown(3);
    for (const char* name : kTrayIcons) {
        SCOPED_TRACE(name);
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(nullptr, Resource(name).c_str(), IMAGE_ICON,
                                                       size, size, LR_LOADFROMFILE));
            ASSERT_NE(nullptr, icon) << size << " pixels";
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            GetObject(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(size, colour.bmWidth);
            EXPECT_EQ(32, colour.bmBitsPixel);
            // Its alpha is used: clear corners, opaque middle.
            std::vector<BYTE> bgra(size_t(size) * size * 4);
            BITMAPINFO bi = {};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            HDC dc = GetDC(nullptr);
            GetDIBits(dc, info.hbmColor, 0, size, bgra.data(), &bi, DIB_RGB_COLORS);
            ReleaseDC(nullptr, dc);
            EXPECT_EQ(0, bgra[3]) << "corner";
            EXPECT_EQ(255, bgra[(size_t(size / 2) * size + size / 2) * 4 + 3]) << "middle";
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            if (size == 16) {
                for (int t = 0; t < 3; ++t) {
                    shown[t].push_back(OnTray(icon, trays[t]));
                    Pixels tray = OnTray(nullptr, trays[t]);
                    EXPECT_GT(MeanDifference(shown[t].back(), tray), 25.0)
                        << "hardly visible on tray " << t;
                }
            }
            DestroyIcon(icon);
        }
    }
    for (int t = 0; t < 3; ++t) {
        for (size_t i = 0; i < shown[t].size(); ++i) {
            for (size_t j = i + 1; j < shown[t].size(); ++j) {
                EXPECT_GT(MeanDifference(shown[t][i], shown[t][j]), 12.0)
                    << kTrayIcons[i] << " and " << kTrayIcons[j] << " on tray " << t;
            }
        }
    }
}

// ---- dial pictures -----------------------------------------------------------------------------

TEST(ArtDial, PicturesDecodeThroughPngioAsLayersOfOneChart)
{
    Pixels gear;
    DWORD type = 0;
    ASSERT_TRUE(arttest::LoadPng(Resource(kGearPng), gear, &type));
    EXPECT_EQ(6u, type);
    EXPECT_EQ(28, gear.width);
    EXPECT_EQ(30, gear.height);

    Pixels base;
    ASSERT_TRUE(arttest::LoadPng(Resource(kPentagonPng), base, &type));
    EXPECT_EQ(6u, type);
    int clear = 0, solid = 0;
    for (size_t i = 3; i < base.bgra.size(); i += 4) {
        clear += base.bgra[i] == 0;
        solid += base.bgra[i] == 255;
    }
    EXPECT_GT(clear, 0) << "the chart's corners are see-through";
    EXPECT_GT(solid, base.width * base.height / 2);

    // Blending keeps the base's alpha: every layer must stay inside the base's visible area.
    std::vector<std::string> layers = {kLinePng, kMaskPng};
    layers.insert(layers.end(), std::begin(kProfilePngs), std::end(kProfilePngs));
    layers.insert(layers.end(), std::begin(kHighlightPngs), std::end(kHighlightPngs));
    std::map<std::string, Pixels> loaded;
    for (const std::string& name : layers) {
        SCOPED_TRACE(name);
        Pixels layer;
        ASSERT_TRUE(arttest::LoadPng(Resource(name), layer, &type));
        EXPECT_EQ(6u, type);
        ASSERT_EQ(base.width, layer.width);
        ASSERT_EQ(base.height, layer.height);
        int outside = 0, drawn = 0;
        for (int y = 0; y < layer.height; ++y) {
            for (int x = 0; x < layer.width; ++x) {
                if (layer.At(x, y)[3] > 0) {
                    ++drawn;
                    outside += base.At(x, y)[3] == 0;
                }
            }
        }
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(0, outside);
        loaded[name] = layer;
    }
    // Each mode has a profile of its own; its highlight has the same outline.
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            EXPECT_GT(MeanDifference(loaded[kProfilePngs[i]], loaded[kProfilePngs[j]]), 1.0)
                << kProfilePngs[i] << " and " << kProfilePngs[j];
        }
    }
    // The steady chart composed as the dial does it stays opaque where the base is.
    Pixels chart = base;
    arttest::Blend(chart, loaded[kLinePng], 0, 0, 255);
    arttest::Blend(chart, loaded[kProfilePngs[0]], 0, 0, 200);
    arttest::Blend(chart, loaded[kMaskPng], 0, 0, 255);
    EXPECT_GT(MeanDifference(chart, base), 5.0);
}

TEST(ArtMockup, TheMainWindowComposesInBothViews)
{
    Pixels large, small;
    ASSERT_TRUE(arttest::ComposeMainWindow(false, large));
    ASSERT_TRUE(arttest::ComposeMainWindow(true, small));
    EXPECT_EQ(665, large.width);
    EXPECT_GT(MeanDifference(large, small), 10.0);
}

} // namespace
