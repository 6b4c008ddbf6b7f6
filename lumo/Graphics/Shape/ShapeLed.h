#pragma once
// An LED made of a shape's segment polygons and a state table, and a row of such LEDs laid out
// side by side, each stretched over its share of the row.
#include "lumo/Graphics/Shape/LedStateTbl.h"
#include "lumo/Graphics/Shape/Shape.h"

#include <memory>
#include <vector>

namespace lumo {

class ShapeLed : public FigureBase
{
public:
    // The shape and the table are shared, read-only, by every LED of their kind.
    ShapeLed(std::shared_ptr<const Shape> shape, std::shared_ptr<const LedStateTbl> table);

    const Shape& GetShape() const { return *m_shape; }
    const LedStateTbl& Table() const { return *m_table; }
    int StateCount() const { return m_table->StateCount(); }
    int State() const { return m_state; }
    // Precondition: state >= 0 && state < StateCount().
    void SetState(int state);
    // An LED that is off shows no lit segment.
    bool IsOn() const { return m_on; }
    void SetOn(bool on) { m_on = on; }
    bool IsSegmentLit(int segment) const;

    // Every segment in the light colour when lit, else in the dark colour.
    void Paint(SimplePainter& painter) const override;

private:
    std::shared_ptr<const Shape> m_shape;
    std::shared_ptr<const LedStateTbl> m_table;
    int m_state;
    bool m_on = true;
};

class ShapeLedGroup : public FigureBase
{
public:
    ShapeLedGroup() : FigureBase(0, 0) {}

    // Appends an LED on the right; the natural size becomes the sum of the cell widths by the
    // largest cell height.
    void Add(std::unique_ptr<ShapeLed> led);
    int Count() const { return static_cast<int>(m_LEDs.size()); }
    // Precondition: indexOfLED < Count().
    ShapeLed& LED(size_t indexOfLED);
    const ShapeLed& LED(size_t indexOfLED) const;

    // Lays the LEDs out: each gets its cell width's share of the width and the full height.
    void SetBounds(double left, double top, double width, double height) override;
    void Paint(SimplePainter& painter) const override;

private:
    std::vector<std::unique_ptr<ShapeLed>> m_LEDs;
};

} // namespace lumo
