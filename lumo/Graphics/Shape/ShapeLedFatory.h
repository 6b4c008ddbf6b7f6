#pragma once
// Makes the LED for each format character of a style:
//   "8" and the time and date letters H h M m S s D d Y y: a seven-segment digit, 18 x 22;
//   ".": a point, 6 x 27;  "^": a degree ring, 9 x 27;  "C": the letter C, 19 x 27;
//   "&": the word RPM, 47 x 27.
// Shapes and tables are built once and shared by every LED of their kind.
#include "lumo/Graphics/Shape/ShapeLed.h"

#include <memory>

namespace lumo {

enum class LedShapeStyle
{
    Rectangle7
};

class ShapeLedFatory
{
public:
    explicit ShapeLedFatory(LedShapeStyle style = LedShapeStyle::Rectangle7) : m_style(style) {}

    // Whether the character makes an LED, and whether that LED is a digit.
    static bool IsFormatChar(char c);
    static bool IsDigitChar(char c);

    // A new LED in its last state, on; null for a character that makes no LED.
    std::unique_ptr<ShapeLed> Create(char c) const;

    LedShapeStyle Style() const { return m_style; }

private:
    LedShapeStyle m_style;
};

} // namespace lumo
