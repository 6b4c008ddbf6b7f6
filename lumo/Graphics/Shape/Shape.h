#pragma once
// A shape: the polygons (segments) of one LED, designed in a cell of a natural size.
#include "lumo/Graphics/Source/FigureBase.h"

#include <vector>

namespace lumo {

using PolygonF = std::vector<PointF>;

class Shape
{
public:
    Shape(int cellWidth, int cellHeight, std::vector<PolygonF> segments)
        : m_cellWidth(cellWidth), m_cellHeight(cellHeight), m_segments(std::move(segments))
    {}

    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    int SegmentCount() const { return static_cast<int>(m_segments.size()); }
    const PolygonF& Segment(int index) const { return m_segments[static_cast<size_t>(index)]; }

    // The pixels (x1, y1) to (x2, y2), both corners included, as a polygon.
    static PolygonF PixelRect(double x1, double y1, double x2, double y2);

private:
    int m_cellWidth;
    int m_cellHeight;
    std::vector<PolygonF> m_segments;
};

} // namespace lumo
