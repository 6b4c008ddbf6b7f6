#include "lumo/Graphics/Shape/Shape.h"

namespace lumo {

PolygonF Shape::PixelRect(double x1, double y1, double x2, double y2)
{
    return PolygonF{{x1, y1}, {x2 + 1, y1}, {x2 + 1, y2 + 1}, {x1, y2 + 1}};
}

} // namespace lumo
