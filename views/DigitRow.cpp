#include "views/DigitRow.h"

#include "lumo/Forms/Exception.h"
#include "lumo/Forms/WinControl.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tv {
namespace {

constexpr lumo::TColor kGlyphKey = 0xFF00FF;
constexpr int kGlyphHeight = 20;
constexpr int kDigitWidth = 12;
constexpr int kPointWidth = 4;
// Larger values are shown as this before the digits are taken (the rows clamp far below).
constexpr double kLargestSplit = 1e15;

void MakeKeyed(lumo::TBitmap& bitmap)
{
    bitmap.SetTransparentColor(kGlyphKey);
    bitmap.SetTransparent(true);
}

} // namespace

const DigitGlyphs& DigitGlyphs::Instance()
{
    static const DigitGlyphs glyphs(lumo::ProgramDirectory() + "Resource\\Number\\");
    return glyphs;
}

DigitGlyphs::DigitGlyphs(const std::string& folder)
{
    for (int index = 0; index < glyph::kCount; ++index) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.bmp", index);
        lumo::TBitmap& bitmap = m_glyphs[index];
        try {
            bitmap.LoadFromFile(folder + name);
        } catch (const lumo::Exception& error) {
            TraceLog("[DigitGlyphs] glyph %s: %s", name, error.what());
            m_complete = false;
            const bool point = index == glyph::kPoint || index == glyph::kPlacedPoint;
            bitmap.SetPixelFormat(lumo::TPixelFormat::pf24bit);
            bitmap.SetSize(point ? kPointWidth : kDigitWidth, kGlyphHeight);
            lumo::TCanvas& canvas = bitmap.Canvas();
            canvas.Brush().SetColor(kGlyphKey);
            canvas.FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});
        }
        MakeKeyed(bitmap);
    }
}

std::vector<int> DigitGlyphIndices(double value, int integerDigits, int fractionDigits)
{
    std::vector<int> shown;
    if (integerDigits < 0 || fractionDigits < 0) {
        return shown;
    }
    shown.assign(static_cast<size_t>(integerDigits + fractionDigits + (fractionDigits > 0)),
                 glyph::kBlank);
    if (!(value >= 0)) {
        value = 0;
    }
    if (value > kLargestSplit) {
        value = kLargestSplit;
    }
    uint64_t n = static_cast<uint64_t>(value);
    double fraction = value - static_cast<double>(n);
    for (int position = integerDigits - 1; position >= 0; --position) {
        if (n == 0 && position != integerDigits - 1) {
            break;
        }
        shown[position] = static_cast<int>(n % 10);
        n /= 10;
    }
    if (fractionDigits > 0) {
        shown[integerDigits] = glyph::kPoint;
        for (int k = 0; k < fractionDigits; ++k) {
            fraction *= 10;
            if (k == fractionDigits - 1) {
                fraction += 0.5;
            }
            const int whole = static_cast<int>(fraction);
            shown[integerDigits + 1 + k] = whole > 9 ? 9 : whole;
            fraction -= whole;
        }
    }
    return shown;
}

DigitRow::DigitRow(lumo::TComponent* owner, lumo::TWinControl* parent, const DigitGlyphs& glyphs)
    : m_owner(owner), m_parent(parent), m_glyphs(glyphs)
{}

void DigitRow::Build(int integerDigits, int fractionDigits, int left, int top)
{
    const int count = integerDigits + fractionDigits + (fractionDigits > 0 ? 1 : 0);
    m_integerDigits = integerDigits;
    m_fractionDigits = fractionDigits;
    m_left = left;
    m_top = top;
    if (count != GlyphCount()) {
        for (lumo::TImage* image : m_images) {
            delete image;
        }
        m_images.clear();
        m_shown.assign(static_cast<size_t>(count), glyph::kBlank);
        for (int k = 0; k < count; ++k) {
            auto* image = new lumo::TImage(m_owner);
            image->SetAutoSize(true);
            image->SetVisible(m_visible);
            image->SetParent(m_parent);
            m_images.push_back(image);
            SetGlyph(k, k == integerDigits && fractionDigits > 0 ? glyph::kPlacedPoint
                                                                 : glyph::kBlank);
        }
    }
    int x = left;
    for (int k = 0; k < count; ++k) {
        int gap = 5;
        if (k == integerDigits) {
            x -= 1;
            gap = 4;
        }
        m_images[k]->SetBounds(x, top, 0, 0);
        x += m_images[k]->Width() + gap;
    }
}

lumo::TImage* DigitRow::AddUnit(const lumo::TBitmap& picture, int left, int top)
{
    auto* image = new lumo::TImage(m_owner);
    image->SetAutoSize(true);
    image->SetPicture(picture);
    image->SetBounds(left, top, 0, 0);
    image->SetVisible(m_visible);
    image->SetParent(m_parent);
    m_units.push_back(image);
    m_unitVisible.push_back(true);
    return image;
}

void DigitRow::MoveBy(int dx, int dy)
{
    m_left += dx;
    m_top += dy;
    for (lumo::TImage* image : m_images) {
        image->SetBounds(image->Left() + dx, image->Top() + dy, 0, 0);
    }
    for (lumo::TImage* unit : m_units) {
        unit->SetBounds(unit->Left() + dx, unit->Top() + dy, 0, 0);
    }
}

void DigitRow::SetVisible(bool visible)
{
    m_visible = visible;
    for (lumo::TImage* image : m_images) {
        image->SetVisible(visible);
    }
    for (size_t index = 0; index < m_units.size(); ++index) {
        m_units[index]->SetVisible(visible && m_unitVisible[index]);
    }
}

void DigitRow::SetUnitVisible(int index, bool visible)
{
    m_unitVisible[index] = visible;
    m_units[index]->SetVisible(m_visible && visible);
}

void DigitRow::ShowValue(double value)
{
    const std::vector<int> shown = DigitGlyphIndices(value, m_integerDigits, m_fractionDigits);
    for (size_t k = 0; k < shown.size() && k < m_images.size(); ++k) {
        if (shown[k] != m_shown[k]) {
            SetGlyph(static_cast<int>(k), shown[k]);
        }
    }
}

void DigitRow::SetGlyph(int position, int index)
{
    lumo::TImage* image = m_images[position];
    image->SetPicture(m_glyphs.Glyph(index));
    image->SetTransparent(true);
    m_shown[position] = index;
}

} // namespace tv
