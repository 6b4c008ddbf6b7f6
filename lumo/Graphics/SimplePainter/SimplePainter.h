#pragma once
// Paints figures onto a bitmap: a background fill and filled polygons in the light (lit) and
// dark (unlit) colours.
#include "lumo/Forms/Bitmap.h"

namespace lumo {

class SimplePainter
{
public:
    explicit SimplePainter(TBitmap& target) : m_target(target) {}
    SimplePainter(const SimplePainter&) = delete;
    SimplePainter& operator=(const SimplePainter&) = delete;

    TColor LightColor() const { return m_light; }
    TColor DarkColor() const { return m_dark; }
    TColor BackgroundColor() const { return m_background; }
    void SetColors(TColor light, TColor dark, TColor background);

    // Fills the whole bitmap with the background colour.
    void Clear();
    // Fills a polygon (no outline: edges on the right and bottom stay outside, so neighbouring
    // polygons never overlap).
    void FillPolygon(const POINT* points, int count, TColor colour);

private:
    TBitmap& m_target;
    TColor m_light = clLime;
    TColor m_dark = clGreen;
    TColor m_background = clBlack;
};

} // namespace lumo
