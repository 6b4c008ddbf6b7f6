#include "lumo/Graphics/Region.h"

#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstring>
#include <vector>

namespace lumo {
namespace {

RegionHandle NewRegion(int left, int top, int right, int bottom)
{
    HRGN hrgn = CreateRectRgn(left, top, right, bottom);
    LUMO_ASSERT(hrgn != NULL);
    return RegionHandle(hrgn);
}

// A region made of the given rectangles, which lie row by row, left to right.
RegionHandle RegionOfRects(const std::vector<RECT>& rects, const RECT& bounds)
{
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = static_cast<DWORD>(rects.size());
    region->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    region->rdh.rcBound = bounds;
    std::memcpy(region->Buffer, rects.data(), rects.size() * sizeof(RECT));
    HRGN hrgn = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
    LUMO_ASSERT(hrgn != NULL);
    return RegionHandle(hrgn);
}

} // namespace

WinRegion::WinRegion() : m_region(NewRegion(0, 0, 0, 0)) {}

void WinRegion::SetRect(int left, int top, int right, int bottom)
{
    BOOL result = SetRectRgn(m_region.Get(), left, top, right, bottom);
    LUMO_ASSERT(result != 0);
}

void WinRegion::Subtract(HRGN other)
{
    int combineResult = CombineRgn(m_region.Get(), m_region.Get(), other, RGN_DIFF);
    LUMO_ASSERT(combineResult != ERROR);
}

RegionHandle WinRegion::Copy() const
{
    RegionHandle copy = NewRegion(0, 0, 0, 0);
    int combineResult = CombineRgn(copy.Get(), m_region.Get(), nullptr, RGN_COPY);
    LUMO_ASSERT(combineResult != ERROR);
    return copy;
}

void WinRegion::BuildFromBitmap(const TBitmap& bitmap, TColor transparentColor)
{
    int width = bitmap.Width();
    int height = bitmap.Height();
    SetRect(0, 0, width, height);
    if (bitmap.Empty() || transparentColor == clNone) {
        return;
    }
    COLORREF key = ColorToRGB(transparentColor);
    BYTE keyRed = GetRValue(key);
    BYTE keyGreen = GetGValue(key);
    BYTE keyBlue = GetBValue(key);
    // Pixels are read in place in every format, so a 32-bit picture keeps its alpha channel.
    int step = bitmap.BitsPerPixel() / 8;
    bool packed = bitmap.PixelFormat() == TPixelFormat::pf4bit;
    std::vector<bool> paletteKey;
    if (packed) {
        for (const RGBQUAD& entry : bitmap.Palette()) {
            paletteKey.push_back(entry.rgbRed == keyRed && entry.rgbGreen == keyGreen &&
                                 entry.rgbBlue == keyBlue);
        }
    }
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = bitmap.ScanLine(y);
        auto isKey = [&](int x) {
            if (packed) {
                BYTE index = (x % 2) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
                return index < paletteKey.size() && paletteKey[index];
            }
            const BYTE* pixel = row + step * x;
            return pixel[0] == keyBlue && pixel[1] == keyGreen && pixel[2] == keyRed;
        };
        int x = 0;
        while (x < width) {
            if (!isKey(x)) {
                ++x;
                continue;
            }
            int start = x;
            while (x < width && isKey(x)) {
                ++x;
            }
            runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    if (!runs.empty()) {
        // One difference with all runs at once: the same region as one per run, without
        // rebuilding the region for every run.
        RegionHandle cut = RegionOfRects(runs, RECT{0, 0, width, height});
        Subtract(cut.Get());
    }
}

bool WinRegion::ApplyToWindow(HWND window, bool redraw) const
{
    RegionHandle copy = Copy();
    if (!SetWindowRgn(window, copy.Get(), redraw)) {
        TraceLog("[WinRegion::ApplyToWindow] SetWindowRgn failed! GetLastError returned %lu",
                 GetLastError());
        return false;
    }
    // The window owns the copy now.
    copy.Release();
    return true;
}

bool WinRegion::IsEmpty() const
{
    RECT bounds;
    return GetRgnBox(m_region.Get(), &bounds) == NULLREGION;
}

RECT WinRegion::Bounds() const
{
    RECT bounds = {0, 0, 0, 0};
    GetRgnBox(m_region.Get(), &bounds);
    return bounds;
}

int WinRegion::RectCount() const
{
    DWORD size = GetRegionData(m_region.Get(), 0, nullptr);
    if (size == 0) {
        return 0;
    }
    std::vector<BYTE> data(size);
    if (GetRegionData(m_region.Get(), size, reinterpret_cast<RGNDATA*>(data.data())) == 0) {
        return 0;
    }
    return static_cast<int>(reinterpret_cast<RGNDATA*>(data.data())->rdh.nCount);
}

} // namespace lumo
