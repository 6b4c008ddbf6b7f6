#include "lumo/Graphics/Source/FigureBase.h"

#include <cmath>

namespace lumo {

void FigureBase::SetBounds(double left, double top, double width, double height)
{
    m_left = left;
    m_top = top;
    m_width = width < 0 ? 0 : width;
    m_height = height < 0 ? 0 : height;
}

POINT FigureBase::Map(const PointF& point) const
{
    double sx = m_originalWidth > 0 ? m_width / m_originalWidth : 0;
    double sy = m_originalHeight > 0 ? m_height / m_originalHeight : 0;
    // Rounded to the nearest pixel edge: a point on the natural grid stays on it.
    return POINT{static_cast<LONG>(std::floor(m_left + point.x * sx + 0.5)),
                 static_cast<LONG>(std::floor(m_top + point.y * sy + 0.5))};
}

} // namespace lumo
