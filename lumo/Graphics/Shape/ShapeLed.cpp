#include "lumo/Graphics/Shape/ShapeLed.h"

#include "lumo/Graphics/SimplePainter/SimplePainter.h"
#include "lumo/System/Source/Assert.h"

#include <algorithm>

namespace lumo {

ShapeLed::ShapeLed(std::shared_ptr<const Shape> shape, std::shared_ptr<const LedStateTbl> table)
    : FigureBase(shape->CellWidth(), shape->CellHeight()), m_shape(std::move(shape)),
      m_table(std::move(table)), m_state(m_table->LastState())
{}

void ShapeLed::SetState(int state)
{
    LUMO_ASSERT(state >= 0 && state < StateCount());
    m_state = state;
}

bool ShapeLed::IsSegmentLit(int segment) const
{
    return m_on && m_table->IsLit(m_state, segment);
}

void ShapeLed::Paint(SimplePainter& painter) const
{
    std::vector<POINT> points;
    for (int s = 0; s < m_shape->SegmentCount(); ++s) {
        const PolygonF& polygon = m_shape->Segment(s);
        points.clear();
        for (const PointF& point : polygon) {
            points.push_back(Map(point));
        }
        painter.FillPolygon(points.data(), static_cast<int>(points.size()),
                            IsSegmentLit(s) ? painter.LightColor() : painter.DarkColor());
    }
}

void ShapeLedGroup::Add(std::unique_ptr<ShapeLed> led)
{
    int width = OriginalWidth() + led->OriginalWidth();
    int height = std::max(OriginalHeight(), led->OriginalHeight());
    m_LEDs.push_back(std::move(led));
    SetOriginalSize(width, height);
    SetBounds(Left(), Top(), Width(), Height());
}

ShapeLed& ShapeLedGroup::LED(size_t indexOfLED)
{
    LUMO_ASSERT(indexOfLED < m_LEDs.size());
    return *m_LEDs[indexOfLED];
}

const ShapeLed& ShapeLedGroup::LED(size_t indexOfLED) const
{
    LUMO_ASSERT(indexOfLED < m_LEDs.size());
    return *m_LEDs[indexOfLED];
}

void ShapeLedGroup::SetBounds(double left, double top, double width, double height)
{
    FigureBase::SetBounds(left, top, width, height);
    double scale = OriginalWidth() > 0 ? Width() / OriginalWidth() : 0;
    int offset = 0;
    for (auto& led : m_LEDs) {
        led->SetBounds(Left() + offset * scale, Top(), led->OriginalWidth() * scale, Height());
        offset += led->OriginalWidth();
    }
}

void ShapeLedGroup::Paint(SimplePainter& painter) const
{
    for (const auto& led : m_LEDs) {
        led->Paint(painter);
    }
}

} // namespace lumo
