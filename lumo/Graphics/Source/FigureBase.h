#pragma once
// The base of drawable figures: a figure is designed at a natural (original) size and drawn
// scaled into its bounds, which may be fractional so that neighbours share a row exactly.
#include <windows.h>

namespace lumo {

class SimplePainter;

// A point in a figure's own coordinates.
struct PointF
{
    double x;
    double y;
};

class FigureBase
{
public:
    FigureBase(int originalWidth, int originalHeight)
        : m_originalWidth(originalWidth), m_originalHeight(originalHeight)
    {}
    virtual ~FigureBase() = default;
    FigureBase(const FigureBase&) = delete;
    FigureBase& operator=(const FigureBase&) = delete;

    int OriginalWidth() const { return m_originalWidth; }
    int OriginalHeight() const { return m_originalHeight; }

    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    // Places the figure; its original size is stretched over width x height.
    virtual void SetBounds(double left, double top, double width, double height);

    // A point of the figure's own coordinates in the drawing's pixels, rounded.
    POINT Map(const PointF& point) const;

    virtual void Paint(SimplePainter& painter) const = 0;

protected:
    void SetOriginalSize(int width, int height)
    {
        m_originalWidth = width;
        m_originalHeight = height;
    }

private:
    int m_originalWidth;
    int m_originalHeight;
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};

} // namespace lumo
