#pragma once
// A row of bitmap digits with a decimal point, followed by unit pictures: how the energy panel
// shows watts, watt-hours and CO2. The 13 glyphs ("Resource\Number\00.bmp" .. "12.bmp") are
// loaded once per process.
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Image.h"

#include <string>
#include <vector>

namespace tv {

namespace glyph {
inline constexpr int kPoint = 10;       // the decimal point shown with a value
inline constexpr int kBlank = 11;       // leading positions
inline constexpr int kPlacedPoint = 12; // the point placed when a row is built
inline constexpr int kCount = 13;
} // namespace glyph

// The glyphs of the process. A file that is missing or unreadable gives a glyph of the usual
// size in the key colour, which shows nothing (traced once).
class DigitGlyphs
{
public:
    static const DigitGlyphs& Instance();
    // From folder (with its trailing backslash), files "%02d.bmp".
    explicit DigitGlyphs(const std::string& folder);

    const lumo::TBitmap& Glyph(int index) const { return m_glyphs[index]; }
    bool Complete() const { return m_complete; }

private:
    lumo::TBitmap m_glyphs[glyph::kCount];
    bool m_complete = true;
};

// The glyphs that show value in a row of integerDigits and fractionDigits (the point included
// when there are fraction digits): integer digits from the right, leading positions blank and at
// least one digit; fraction digits by repeated times ten, the last one rounded by adding 0.5 and
// capped at 9 (no carry). Digits beyond the row's width are left out. A value below 0 or not a
// number shows 0.
std::vector<int> DigitGlyphIndices(double value, int integerDigits, int fractionDigits);

class DigitRow
{
public:
    // The glyph and unit images are owned by owner and sit on parent.
    DigitRow(lumo::TComponent* owner, lumo::TWinControl* parent,
             const DigitGlyphs& glyphs = DigitGlyphs::Instance());
    DigitRow(const DigitRow&) = delete;
    DigitRow& operator=(const DigitRow&) = delete;

    // Lays out i + f glyphs (plus the point when f > 0) from (left, top): blank, the placed
    // point at position i. Built again only when the glyph count changes.
    void Build(int integerDigits, int fractionDigits, int left, int top);
    int IntegerDigits() const { return m_integerDigits; }
    int FractionDigits() const { return m_fractionDigits; }
    int Left() const { return m_left; }
    int Top() const { return m_top; }

    // A unit picture, a copy of picture, at (left, top) of the row's parent.
    lumo::TImage* AddUnit(const lumo::TBitmap& picture, int left, int top);
    lumo::TImage* Unit(int index) const { return m_units[index]; }

    // Moves every glyph and unit picture by the offset.
    void MoveBy(int dx, int dy);
    // Glyphs and units together; a unit hidden by the row's owner stays hidden while shown.
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }
    // Hides or shows one unit picture; it shows only while the row does.
    void SetUnitVisible(int index, bool visible);
    bool UnitVisible(int index) const { return m_unitVisible[index]; }

    void ShowValue(double value);
    // What the glyphs show now, by glyph index.
    const std::vector<int>& Shown() const { return m_shown; }
    int GlyphCount() const { return static_cast<int>(m_images.size()); }
    lumo::TImage* GlyphImage(int position) const { return m_images[position]; }

private:
    void SetGlyph(int position, int index);

    lumo::TComponent* m_owner;
    lumo::TWinControl* m_parent;
    const DigitGlyphs& m_glyphs;
    int m_integerDigits = 0;
    int m_fractionDigits = 0;
    int m_left = 0;
    int m_top = 0;
    bool m_visible = true;
    std::vector<lumo::TImage*> m_images;
    std::vector<int> m_shown;
    std::vector<lumo::TImage*> m_units;
    std::vector<bool> m_unitVisible;
};

} // namespace tv
