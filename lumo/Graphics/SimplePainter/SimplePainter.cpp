#include "lumo/Graphics/SimplePainter/SimplePainter.h"

#include "lumo/Forms/Gdi.h"

namespace lumo {

void SimplePainter::SetColors(TColor light, TColor dark, TColor background)
{
    m_light = light;
    m_dark = dark;
    m_background = background;
}

void SimplePainter::Clear()
{
    if (m_target.Empty()) {
        return;
    }
    BrushHandle brush(CreateSolidBrush(ColorToRGB(m_background)));
    RECT all = {0, 0, m_target.Width(), m_target.Height()};
    ::FillRect(m_target.Canvas().Handle(), &all, brush.Get());
}

void SimplePainter::FillPolygon(const POINT* points, int count, TColor colour)
{
    if (m_target.Empty() || count < 3) {
        return;
    }
    HDC dc = m_target.Canvas().Handle();
    BrushHandle brush(CreateSolidBrush(ColorToRGB(colour)));
    SelectedObject pen(dc, GetStockObject(NULL_PEN));
    SelectedObject fill(dc, brush.Get());
    int oldMode = SetPolyFillMode(dc, WINDING);
    ::Polygon(dc, points, count);
    SetPolyFillMode(dc, oldMode);
}

} // namespace lumo
