#pragma once
// A window region owned by the library: a rectangle, a difference of regions, or the opaque
// part of a bitmap (every pixel of one colour cut away).
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Gdi.h"

namespace lumo {

class WinRegion
{
public:
    // An empty region (0, 0, 0, 0).
    WinRegion();
    WinRegion(const WinRegion&) = delete;
    WinRegion& operator=(const WinRegion&) = delete;

    HRGN Handle() const { return m_region.Get(); }

    void SetRect(int left, int top, int right, int bottom);
    void SetEmpty() { SetRect(0, 0, 0, 0); }
    // This region minus other.
    void Subtract(HRGN other);
    void Subtract(const WinRegion& other) { Subtract(other.Handle()); }
    // A new region with the same contents, owned by the caller.
    RegionHandle Copy() const;

    // The rectangle of the bitmap without every pixel whose red, green and blue equal
    // transparentColor exactly (one rectangle per run of such pixels in a row). clNone keeps
    // the whole rectangle. The bitmap itself is left untouched.
    void BuildFromBitmap(const TBitmap& bitmap, TColor transparentColor);

    // Gives window a copy of the region (the system owns the copy from then on).
    bool ApplyToWindow(HWND window, bool redraw) const;

    bool Contains(int x, int y) const { return PtInRegion(m_region.Get(), x, y) != FALSE; }
    bool IsEmpty() const;
    RECT Bounds() const;
    // The rectangles the system holds for the region.
    int RectCount() const;

private:
    RegionHandle m_region;
};

} // namespace lumo
