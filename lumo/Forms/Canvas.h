#pragma once
// A drawing surface over a DC: the DC of a bitmap, of a paint cycle or of a print request.
// Font, pen and brush are selected only for the length of each call.
#include "lumo/Forms/GraphicsObjects.h"

#include <string>

namespace lumo {

class TBitmap;

class TCanvas : public TObject
{
public:
    LUMO_CLASS_NAME(TCanvas)
    // The canvas does not own dc.
    explicit TCanvas(HDC dc = nullptr);

    HDC Handle() const { return m_dc; }
    void SetHandle(HDC dc) { m_dc = dc; }

    TFont& Font() { return m_font; }
    TPen& Pen() { return m_pen; }
    TBrush& Brush() { return m_brush; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Fills with the brush (nothing for the clear style).
    void FillRect(const RECT& rect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const RECT& rect);
    // Outline with the pen, inside with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void Polygon(const POINT* points, int count);

    // Text in the font; the background is the brush colour unless the brush is clear.
    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to rect.
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    // DrawTextA with the canvas font; rect is updated when format holds DT_CALCRECT.
    int DrawText(const std::string& text, RECT& rect, UINT format);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    // The bitmap at (x, y); a transparent bitmap leaves its transparent colour out.
    void Draw(int x, int y, TBitmap& bitmap);
    // The bitmap stretched over rect (transparency as for Draw).
    void StretchDraw(const RECT& rect, TBitmap& bitmap);
    // Copies source's srcRect into dest (stretched when the sizes differ).
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& srcRect);

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Fires after each drawing call, with the canvas as sender.
    TNotifyEvent OnChange;

private:
    void Changed();
    void PrepareText();

    HDC m_dc;
    TFont m_font;
    TPen m_pen;
    TBrush m_brush;
};

} // namespace lumo
