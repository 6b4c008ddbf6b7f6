#include "tools/gallery/Placeholders.h"

#include "tools/gallery/Skin.h"

#include <algorithm>
#include <cmath>

using namespace lumo;

namespace gallery {
namespace {

struct Palette
{
    TColor face;
    TColor light;
    TColor dark;
    TColor ink;
};

// Steel blue raised, dark pressed, lit ice blue when focused, grey when disabled.
Palette PaletteOf(Visual visual)
{
    switch (visual) {
    case vSunken:
        return {0x5A4026, 0x2A1A0E, 0x9A7A5A, 0xE0E0E0};
    case vFocused:
        return {0xC0955E, 0xF8E0B0, 0x6A4A2A, 0xFFFFFF};
    case vDisabled:
        return {0x8A8A8A, 0xA8A8A8, 0x686868, 0xB8B8B8};
    default:
        return {0x8A6A4A, 0xC8A888, 0x3A2A1A, 0xF0F0F0};
    }
}

void Prepare(TBitmap& bitmap, int width, int height, TColor background)
{
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(background);
    canvas.FillRect(RECT{0, 0, width, height});
}

void Line(TCanvas& canvas, TColor color, int width, int x0, int y0, int x1, int y1)
{
    canvas.Pen().SetColor(color);
    canvas.Pen().SetWidth(width);
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
}

// A bevelled rectangle: light top-left, dark bottom-right (reversed colours look pressed).
void Bevel(TCanvas& canvas, const RECT& r, const Palette& p)
{
    canvas.Brush().SetColor(p.face);
    canvas.FillRect(r);
    Line(canvas, p.light, 1, r.left, r.bottom - 1, r.left, r.top);
    Line(canvas, p.light, 1, r.left, r.top, r.right - 1, r.top);
    Line(canvas, p.dark, 1, r.right - 1, r.top, r.right - 1, r.bottom - 1);
    Line(canvas, p.dark, 1, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1);
}

// A rectangle with rounded corners, outline and face in the given colours.
void RoundedRect(TCanvas& canvas, const RECT& r, TColor outline, TColor face, int radius)
{
    PenHandle pen(CreatePen(PS_SOLID, 1, ColorToRGB(outline)));
    BrushHandle brush(CreateSolidBrush(ColorToRGB(face)));
    SelectedObject selectedPen(canvas.Handle(), pen.Get());
    SelectedObject selectedBrush(canvas.Handle(), brush.Get());
    RoundRect(canvas.Handle(), r.left, r.top, r.right, r.bottom, radius, radius);
}

} // namespace

void ButtonFace(TBitmap& bitmap, int width, int height, Visual visual)
{
    Prepare(bitmap, width, height, kControlKey);
    Palette p = PaletteOf(visual);
    TCanvas& canvas = bitmap.Canvas();
    RoundedRect(canvas, RECT{0, 0, width, height}, p.dark, p.face, 10);
    Line(canvas, p.light, 1, 4, 1, width - 4, 1);
    Line(canvas, p.light, 1, 1, 4, 1, height - 4);
    Line(canvas, p.dark, 1, 4, height - 2, width - 4, height - 2);
    Line(canvas, p.dark, 1, width - 2, 4, width - 2, height - 4);
    if (visual == vFocused) {
        canvas.Brush().SetColor(0xFFE8B0);
        canvas.FrameRect(RECT{3, 3, width - 3, height - 3});
    }
    bitmap.Changed();
}

void CheckBoxFace(TBitmap& bitmap, Visual visual, CheckMark mark)
{
    Prepare(bitmap, 20, 20, kControlKey);
    Palette p = PaletteOf(visual);
    TCanvas& canvas = bitmap.Canvas();
    Bevel(canvas, RECT{0, 0, 20, 20}, p);
    canvas.Brush().SetColor(visual == vDisabled ? 0x9A9A9A : 0x302418);
    canvas.FillRect(RECT{3, 3, 17, 17});
    if (visual == vFocused) {
        canvas.Brush().SetColor(0xFFE8B0);
        canvas.FrameRect(RECT{2, 2, 18, 18});
    }
    if (mark == cmChecked) {
        Line(canvas, p.ink, 2, 5, 10, 8, 14);
        Line(canvas, p.ink, 2, 8, 14, 15, 5);
    } else if (mark == cmGrayed) {
        canvas.Brush().SetColor(visual == vDisabled ? 0xB0B0B0 : 0x909090);
        canvas.FillRect(RECT{6, 6, 14, 14});
    }
    bitmap.Changed();
}

void RadioFace(TBitmap& bitmap, Visual visual, bool checked)
{
    Prepare(bitmap, 20, 20, kControlKey);
    Palette p = PaletteOf(visual);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen().SetColor(p.dark);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetColor(p.face);
    canvas.Ellipse(0, 0, 20, 20);
    canvas.Pen().SetColor(p.light);
    canvas.Brush().SetColor(visual == vDisabled ? 0x9A9A9A : 0x302418);
    canvas.Ellipse(3, 3, 17, 17);
    if (visual == vFocused) {
        canvas.Pen().SetColor(0xFFE8B0);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.Ellipse(1, 1, 19, 19);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    }
    if (checked) {
        canvas.Pen().SetColor(p.ink);
        canvas.Brush().SetColor(p.ink);
        canvas.Ellipse(6, 6, 14, 14);
    }
    bitmap.Changed();
}

void BrickFace(TBitmap& bitmap, int width, int height, Visual visual)
{
    Prepare(bitmap, width, height, 0x000000);
    TColor face = visual == vFocused ? 0x8A6A4A : (visual == vDisabled ? 0x5A5A5A : 0x584634);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(face);
    canvas.FillRect(RECT{0, 0, width, height});
    canvas.Brush().SetColor(visual == vFocused ? 0xFFE8B0 : 0x201810);
    canvas.FrameRect(RECT{0, 0, width, height});
    bitmap.Changed();
}

void BarTrack(TBitmap& bitmap, int width, int height, bool enabled)
{
    Prepare(bitmap, width, height, 0x302418);
    TCanvas& canvas = bitmap.Canvas();
    // The groove runs along the longer side.
    bool vertical = height > width;
    int middle = (vertical ? width : height) / 2;
    int length = vertical ? height : width;
    auto along = [&](int from, int to) {
        return vertical ? RECT{from, 4, to, length - 4} : RECT{4, from, length - 4, to};
    };
    canvas.Brush().SetColor(enabled ? 0x1A120C : 0x505050);
    canvas.FillRect(along(middle - 2, middle + 2));
    canvas.Brush().SetColor(enabled ? 0xE9B572 : 0x808080);
    canvas.FillRect(along(middle - 1, middle));
    bitmap.Changed();
}

void BarKnob(TBitmap& bitmap, int width, int height)
{
    Prepare(bitmap, width, height, 0x9EFF00);
    TCanvas& canvas = bitmap.Canvas();
    Bevel(canvas, RECT{0, 0, width, height}, Palette{0x90D800, 0xD0FF80, 0x406000, 0});
    bitmap.Changed();
}

void AlphaDisc(TBitmap& bitmap, int size)
{
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(size, size);
    double centre = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
        BYTE* row = bitmap.ScanLine(y);
        for (int x = 0; x < size; ++x) {
            BYTE* pixel = row + 4 * x;
            double distance = std::hypot(x - centre, y - centre);
            bool inside = distance <= centre;
            // Ice blue disc, its opacity growing from left to right; nothing outside it.
            pixel[0] = 0xE9;
            pixel[1] = 0xB5;
            pixel[2] = 0x72;
            pixel[3] = inside ? static_cast<BYTE>(255 * x / (size - 1)) : 0;
        }
    }
    bitmap.Changed();
}

void Background(TBitmap& bitmap, int width, int height, const RECT& checker)
{
    Prepare(bitmap, width, height, kFormKey);
    TCanvas& canvas = bitmap.Canvas();
    RoundedRect(canvas, RECT{0, 0, width, height}, 0x6A5641, 0x302A1D, 28);
    for (int y = checker.top; y < checker.bottom; y += 8) {
        for (int x = checker.left; x < checker.right; x += 8) {
            bool dark = ((x - checker.left) / 8 + (y - checker.top) / 8) % 2 != 0;
            canvas.Brush().SetColor(dark ? 0x404040 : 0xC0C0C0);
            canvas.FillRect(RECT{x, y, std::min<LONG>(x + 8, checker.right),
                                 std::min<LONG>(y + 8, checker.bottom)});
        }
    }
    bitmap.Changed();
}

} // namespace gallery

namespace gallery {

Visual BrickVisual(int state)
{
    const Visual visuals[] = {vRaised, vFocused, vDisabled};
    return visuals[state];
}

void TextBrickFaces(Skin& skin)
{
    for (int state = 0; state < 3; ++state) {
        BrickFace(skin.TextBrick[state], 90, 26, BrickVisual(state));
    }
}

void PlaceholderSkin(Skin& skin)
{
    skin.Name = "placeholder art";
    skin.TextBounds = RECT{0, 0, 0, 0};
    skin.TextColor = 0xCAC9CD;
    skin.Shaped = true;
    for (int visual = 0; visual < 4; ++visual) {
        ButtonFace(skin.Button[visual], 90, 30, static_cast<Visual>(visual));
        ButtonFace(skin.TextButton[visual], 90, 30, static_cast<Visual>(visual));
        for (int check = 0; check < 3; ++check) {
            CheckBoxFace(skin.CheckBox[4 * check + visual], static_cast<Visual>(visual),
                         static_cast<CheckMark>(check));
        }
        for (int check = 0; check < 2; ++check) {
            RadioFace(skin.Radio[4 * check + visual], static_cast<Visual>(visual), check != 0);
        }
    }
    for (int state = 0; state < 3; ++state) {
        BrickFace(skin.Brick[state], 90, 26, BrickVisual(state));
    }
    TextBrickFaces(skin);
    BarTrack(skin.BarTrack[0], 100, 16, true);
    skin.BarTrack[1].Clear();
    BarTrack(skin.BarTrack[2], 100, 16, false);
    BarKnob(skin.BarKnob, 8, 16);
}

} // namespace gallery
