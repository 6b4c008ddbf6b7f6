#include "lumo/Graphics/Shape/ShapeLedFatory.h"

#include <cstring>

namespace lumo {
namespace {

constexpr int kDigitHeight = 22;
constexpr int kGlyphHeight = 27;

PolygonF Box(double x1, double y1, double x2, double y2)
{
    return PolygonF{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
}

// The glyphs are drawn on the digits' 22-row grid and stretched to their 27-row cell, so in a
// row with digits their bars meet the digits' bars at every size.
std::shared_ptr<const Shape> Glyph(int width, std::vector<PolygonF> segments)
{
    for (PolygonF& polygon : segments) {
        for (PointF& point : polygon) {
            point.y = point.y * kGlyphHeight / kDigitHeight;
        }
    }
    return std::make_shared<const Shape>(width, kGlyphHeight, std::move(segments));
}

std::shared_ptr<const Shape> DigitShape()
{
    static const auto shape = std::make_shared<const Shape>(
        18, kDigitHeight,
        std::vector<PolygonF>{Shape::PixelRect(4, 2, 12, 3),     // top
                              Shape::PixelRect(14, 4, 15, 9),    // upper right
                              Shape::PixelRect(14, 12, 15, 17),  // lower right
                              Shape::PixelRect(4, 18, 12, 19),   // bottom
                              Shape::PixelRect(2, 12, 3, 17),    // lower left
                              Shape::PixelRect(2, 4, 3, 9),      // upper left
                              Shape::PixelRect(4, 10, 12, 11)}); // middle
    return shape;
}

std::shared_ptr<const Shape> PointShape()
{
    static const auto shape = std::make_shared<const Shape>(
        6, kGlyphHeight, std::vector<PolygonF>{Shape::PixelRect(2, 22, 4, 24)});
    return shape;
}

// A small ring high up, as the degree sign stands beside the digits' top.
std::shared_ptr<const Shape> DegreeShape()
{
    static const auto shape = Glyph(9, {Box(3, 2, 6, 4),   // top
                                        Box(6, 4, 8, 7),   // right
                                        Box(3, 7, 6, 9),   // bottom
                                        Box(1, 4, 3, 7)}); // left
    return shape;
}

// The digits' stroke and height; the bars end in short hooks, so the letter does not read as
// a bracket.
std::shared_ptr<const Shape> LetterCShape()
{
    static const auto shape =
        Glyph(19, {{{5, 2}, {16, 2}, {16, 6}, {14, 6}, {14, 4}, {5, 4}},         // top and hook
                   Box(3, 4, 5, 11),                                             // upper stem
                   Box(3, 11, 5, 18),                                            // lower stem
                   {{5, 18}, {14, 18}, {14, 16}, {16, 16}, {16, 20}, {5, 20}}}); // bottom and hook
    return shape;
}

// "RPM" in three 13-wide letters with the digits' stroke.
std::shared_ptr<const Shape> WordShape()
{
    static const auto shape = [] {
        std::vector<PolygonF> segments;
        double r = 1;
        segments.push_back(Box(r, 4, r + 2, 11));       // R: upper stem
        segments.push_back(Box(r, 11, r + 2, 20));      // lower stem
        segments.push_back(Box(r + 2, 2, r + 11, 4));   // top
        segments.push_back(Box(r + 11, 4, r + 13, 10)); // bowl's right
        segments.push_back(Box(r + 2, 10, r + 11, 12)); // middle
        segments.push_back({{r + 5, 12}, {r + 7.5, 12}, {r + 13, 20}, {r + 10.5, 20}}); // leg
        double p = 17;
        segments.push_back(Box(p, 4, p + 2, 11));       // P: upper stem
        segments.push_back(Box(p, 11, p + 2, 20));      // lower stem
        segments.push_back(Box(p + 2, 2, p + 11, 4));   // top
        segments.push_back(Box(p + 11, 4, p + 13, 10)); // bowl's right
        segments.push_back(Box(p + 2, 10, p + 11, 12)); // middle
        double m = 33;
        segments.push_back(Box(m, 2, m + 2, 11));        // M: left stem, upper
        segments.push_back(Box(m, 11, m + 2, 20));       // left stem, lower
        segments.push_back(Box(m + 11, 2, m + 13, 11));  // right stem, upper
        segments.push_back(Box(m + 11, 11, m + 13, 20)); // right stem, lower
        segments.push_back({{m + 2, 2},
                            {m + 4.5, 2},
                            {m + 6.5, 8},
                            {m + 8.5, 2},
                            {m + 11, 2},
                            {m + 7.5, 12},
                            {m + 5.5, 12}}); // the V between the stems
        return Glyph(47, std::move(segments));
    }();
    return shape;
}

template <typename Table> std::shared_ptr<const LedStateTbl> SharedTable()
{
    static const std::shared_ptr<const LedStateTbl> table = std::make_shared<const Table>();
    return table;
}

} // namespace

bool ShapeLedFatory::IsDigitChar(char c)
{
    return c != 0 && std::strchr("8HhMmSsDdYy", c) != nullptr;
}

bool ShapeLedFatory::IsFormatChar(char c)
{
    return IsDigitChar(c) || c == '.' || c == '^' || c == 'C' || c == '&';
}

std::unique_ptr<ShapeLed> ShapeLedFatory::Create(char c) const
{
    // One style so far: every LED below is of the rectangle seven-segment set.
    if (IsDigitChar(c)) {
        return std::make_unique<ShapeLed>(DigitShape(), SharedTable<SevenSegTbl>());
    }
    switch (c) {
    case '.':
        return std::make_unique<ShapeLed>(PointShape(), SharedTable<SingleSegTbl>());
    case '^':
        return std::make_unique<ShapeLed>(DegreeShape(), SharedTable<FourSegBinStateTbl>());
    case 'C':
        return std::make_unique<ShapeLed>(LetterCShape(), SharedTable<FourSegBinStateTbl>());
    case '&':
        return std::make_unique<ShapeLed>(WordShape(), SharedTable<SixteenSegBinStateTbl>());
    default:
        return nullptr;
    }
}

} // namespace lumo
