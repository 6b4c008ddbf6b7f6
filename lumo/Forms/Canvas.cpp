#include "lumo/Forms/Canvas.h"

#include "lumo/Forms/Bitmap.h"

namespace lumo {

TCanvas::TCanvas(HDC dc) : m_dc(dc) {}

void TCanvas::Changed()
{
    if (OnChange) {
        OnChange(this);
    }
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(m_dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    SelectedObject pen(m_dc, m_pen.Handle());
    ::LineTo(m_dc, x, y);
    Changed();
}

void TCanvas::FillRect(const RECT& rect)
{
    if (HBRUSH brush = m_brush.Handle()) {
        ::FillRect(m_dc, &rect, brush);
        Changed();
    }
}

void TCanvas::FrameRect(const RECT& rect)
{
    if (HBRUSH brush = m_brush.Handle()) {
        ::FrameRect(m_dc, &rect, brush);
        Changed();
    }
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    SelectedObject pen(m_dc, m_pen.Handle());
    HBRUSH brush = m_brush.Handle();
    SelectedObject fill(m_dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
    ::Rectangle(m_dc, left, top, right, bottom);
    Changed();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    SelectedObject pen(m_dc, m_pen.Handle());
    HBRUSH brush = m_brush.Handle();
    SelectedObject fill(m_dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
    ::Ellipse(m_dc, left, top, right, bottom);
    Changed();
}

void TCanvas::Polygon(const POINT* points, int count)
{
    SelectedObject pen(m_dc, m_pen.Handle());
    HBRUSH brush = m_brush.Handle();
    SelectedObject fill(m_dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
    ::Polygon(m_dc, points, count);
    Changed();
}

void TCanvas::PrepareText()
{
    SetTextColor(m_dc, ColorToRGB(m_font.Color()));
    if (m_brush.Style() == TBrushStyle::bsClear) {
        SetBkMode(m_dc, TRANSPARENT);
    } else {
        SetBkMode(m_dc, OPAQUE);
        SetBkColor(m_dc, ColorToRGB(m_brush.Color()));
    }
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    SelectedObject font(m_dc, m_font.Handle());
    PrepareText();
    ::TextOutA(m_dc, x, y, text.c_str(), static_cast<int>(text.size()));
    Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text)
{
    SelectedObject font(m_dc, m_font.Handle());
    PrepareText();
    UINT options = ETO_CLIPPED;
    if (m_brush.Style() != TBrushStyle::bsClear) {
        options |= ETO_OPAQUE;
    }
    ExtTextOutA(m_dc, x, y, options, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format)
{
    SelectedObject font(m_dc, m_font.Handle());
    PrepareText();
    int height = ::DrawTextA(m_dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    if (!(format & DT_CALCRECT)) {
        Changed();
    }
    return height;
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SelectedObject font(m_dc, m_font.Handle());
    SIZE size = {0, 0};
    GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap)
{
    if (bitmap.Empty()) {
        return;
    }
    RECT rect = {x, y, x + bitmap.Width(), y + bitmap.Height()};
    StretchDraw(rect, bitmap);
}

void TCanvas::StretchDraw(const RECT& rect, TBitmap& bitmap)
{
    if (bitmap.Empty()) {
        return;
    }
    HDC source = bitmap.Canvas().Handle();
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (bitmap.Transparent()) {
        // gdi32's own, so that no further library is loaded for it.
        GdiTransparentBlt(m_dc, rect.left, rect.top, width, height, source, 0, 0, bitmap.Width(),
                          bitmap.Height(), ColorToRGB(bitmap.TransparentColor()));
    } else if (width == bitmap.Width() && height == bitmap.Height()) {
        BitBlt(m_dc, rect.left, rect.top, width, height, source, 0, 0, SRCCOPY);
    } else {
        int oldMode = SetStretchBltMode(m_dc, COLORONCOLOR);
        StretchBlt(m_dc, rect.left, rect.top, width, height, source, 0, 0, bitmap.Width(),
                   bitmap.Height(), SRCCOPY);
        SetStretchBltMode(m_dc, oldMode);
    }
    Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& srcRect)
{
    int width = dest.right - dest.left;
    int height = dest.bottom - dest.top;
    int srcWidth = srcRect.right - srcRect.left;
    int srcHeight = srcRect.bottom - srcRect.top;
    if (width == srcWidth && height == srcHeight) {
        BitBlt(m_dc, dest.left, dest.top, width, height, source.Handle(), srcRect.left, srcRect.top,
               SRCCOPY);
    } else {
        int oldMode = SetStretchBltMode(m_dc, COLORONCOLOR);
        StretchBlt(m_dc, dest.left, dest.top, width, height, source.Handle(), srcRect.left,
                   srcRect.top, srcWidth, srcHeight, SRCCOPY);
        SetStretchBltMode(m_dc, oldMode);
    }
    Changed();
}

TColor TCanvas::Pixel(int x, int y) const
{
    COLORREF color = GetPixel(m_dc, x, y);
    return color == CLR_INVALID ? clNone : static_cast<TColor>(color);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    SetPixelV(m_dc, x, y, ColorToRGB(color));
    Changed();
}

} // namespace lumo
