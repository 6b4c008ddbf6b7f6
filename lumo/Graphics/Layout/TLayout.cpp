#include "lumo/Graphics/Layout/TLayout.h"

#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/Graphics/Filters/PixelFilters.h"
#include "lumo/System/Source/TraceLog.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace lumo {
namespace {

int SystemDrawText(HDC dc, const std::string& text, RECT& rect, UINT format)
{
    return ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

int SystemDrawText(HDC dc, const std::wstring& text, RECT& rect, UINT format)
{
    return ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

// Transparent background, the canvas's font and font colour, the whole string.
template <typename Char>
void PlainText(TCanvas& canvas, const std::basic_string<Char>& text, RECT& rect, UINT format)
{
    HDC dc = canvas.Handle();
    SavedDC saved(dc);
    SelectedObject font(dc, canvas.Font().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(canvas.Font().Color()));
    SystemDrawText(dc, text, rect, format);
}

} // namespace

void TTextLayout::DrawText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT format)
{
    RECT area = rect;
    PlainText(canvas, text, area, format);
}

void TTextLayout::DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect, UINT format)
{
    RECT area = rect;
    PlainText(canvas, text, area, format);
}

void TTextLayout::MeasureText(TCanvas& canvas, const std::string& text, RECT& rect, UINT format)
{
    PlainText(canvas, text, rect, format | DT_CALCRECT);
}

void TTextLayout::MeasureText(TCanvas& canvas, const std::wstring& text, RECT& rect, UINT format)
{
    PlainText(canvas, text, rect, format | DT_CALCRECT);
}

void TShadedTextLayout::SetBlurSigma(float sigma)
{
    if (!(sigma > 0) || !std::isfinite(sigma)) {
        TraceLog("[TShadedTextLayout::SetBlurSigma] %g refused, sigma stays %g",
                 static_cast<double>(sigma), static_cast<double>(m_sigma));
        return;
    }
    m_sigma = sigma;
}

RECT TShadedTextLayout::TextRect(const RECT& rect) const
{
    RECT inner = rect;
    InflateRect(&inner, -m_radius, -m_radius);
    return inner;
}

void TShadedTextLayout::MakeShadow(TBitmap& bitmap) const
{
    ::lumo::MakeShadow(PixelsOf(bitmap), m_radius, m_sigma, m_alpha, ColorToRGB(m_colour));
}

template <typename Char>
void TShadedTextLayout::DrawShaded(TCanvas& canvas, const std::basic_string<Char>& text,
                                   const RECT& rect, UINT format)
{
    RECT textRect = TextRect(rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (!m_enabled || width <= 0 || height <= 0) {
        TTextLayout::DrawText(canvas, text, textRect, format);
        return;
    }
    // The text in white on black, where it will stand relative to the rectangle.
    TBitmap work(width, height, TPixelFormat::pf32bit);
    PixelView pixels = PixelsOf(work);
    for (int y = 0; y < height; ++y) {
        std::memset(pixels.Row(y), 0, static_cast<size_t>(width) * 4);
    }
    TCanvas& workCanvas = work.Canvas();
    workCanvas.Font().Assign(canvas.Font());
    workCanvas.Font().SetColor(clWhite);
    RECT local = textRect;
    OffsetRect(&local, -rect.left, -rect.top);
    TTextLayout::DrawText(workCanvas, text, local, format);
    MakeShadow(work);

    // What the canvas shows under the shadow, blended with it and put back.
    RECT shadow = rect;
    OffsetRect(&shadow, m_offsetX, m_offsetY);
    TBitmap under(width, height, TPixelFormat::pf32bit);
    HDC underDC = under.Canvas().Handle();
    BitBlt(underDC, 0, 0, width, height, canvas.Handle(), shadow.left, shadow.top, SRCCOPY);
    BlendPixels(PixelsOf(under), 0, 0, PixelsOf(work), 0, 0, width, height, 255);
    BitBlt(canvas.Handle(), shadow.left, shadow.top, width, height, underDC, 0, 0, SRCCOPY);

    TTextLayout::DrawText(canvas, text, textRect, format);
}

template <typename Char>
void TShadedTextLayout::MeasureShaded(TCanvas& canvas, const std::basic_string<Char>& text,
                                      RECT& rect, UINT format)
{
    RECT area = TextRect(rect);
    TTextLayout::MeasureText(canvas, text, area, format);
    // Given back to DrawText, the result must hold the text after the radius is taken off again.
    InflateRect(&area, m_radius, m_radius);
    if (m_enabled) {
        area.right += std::abs(m_offsetX);
        area.bottom += std::abs(m_offsetY);
    }
    rect = area;
}

void TShadedTextLayout::DrawText(TCanvas& canvas, const std::string& text, const RECT& rect,
                                 UINT format)
{
    DrawShaded(canvas, text, rect, format);
}

void TShadedTextLayout::DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect,
                                 UINT format)
{
    DrawShaded(canvas, text, rect, format);
}

void TShadedTextLayout::MeasureText(TCanvas& canvas, const std::string& text, RECT& rect,
                                    UINT format)
{
    MeasureShaded(canvas, text, rect, format);
}

void TShadedTextLayout::MeasureText(TCanvas& canvas, const std::wstring& text, RECT& rect,
                                    UINT format)
{
    MeasureShaded(canvas, text, rect, format);
}

} // namespace lumo
