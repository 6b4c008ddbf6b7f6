#pragma once
// Text layouts: objects that draw a caption into a rectangle of a canvas (transparent
// background, DrawText flags), optionally with a soft drop shadow. Drawing goes straight to the
// canvas's DC: on a bitmap's canvas call the bitmap's Changed() afterwards if anyone listens.
#include "lumo/Forms/Canvas.h"

#include <string>

namespace lumo {

class TBitmap;

class TLayoutBase
{
public:
    virtual ~TLayoutBase() = default;

    virtual void DrawText(TCanvas& canvas, const std::string& text, const RECT& rect,
                          UINT format) = 0;
    virtual void DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect,
                          UINT format) = 0;
    // As DrawText with DT_CALCRECT added: rect becomes the area the text needs.
    virtual void MeasureText(TCanvas& canvas, const std::string& text, RECT& rect, UINT format) = 0;
    virtual void MeasureText(TCanvas& canvas, const std::wstring& text, RECT& rect,
                             UINT format) = 0;
};

// Plain text in the canvas's font and font colour.
class TTextLayout : public TLayoutBase
{
public:
    void DrawText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT format) override;
    void DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect,
                  UINT format) override;
    void MeasureText(TCanvas& canvas, const std::string& text, RECT& rect, UINT format) override;
    void MeasureText(TCanvas& canvas, const std::wstring& text, RECT& rect, UINT format) override;
};

// Text with a blurred shadow behind it. The text sits in the rectangle shrunk by the blur
// radius on every side; the shadow is the text's picture blurred, in the shadow colour, at most
// ShadowAlpha / 255 opaque, moved by the offset.
class TShadedTextLayout : public TTextLayout
{
public:
    void DrawText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT format) override;
    void DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect,
                  UINT format) override;
    // The area DrawText needs for the text: the text's extent, the blur radius on every side and,
    // with the shadow on, the offset's size to the right and below.
    void MeasureText(TCanvas& canvas, const std::string& text, RECT& rect, UINT format) override;
    void MeasureText(TCanvas& canvas, const std::wstring& text, RECT& rect, UINT format) override;

    int ShadowOffsetX() const { return m_offsetX; }
    int ShadowOffsetY() const { return m_offsetY; }
    void SetShadowOffset(int x, int y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    BYTE ShadowAlpha() const { return m_alpha; }
    void SetShadowAlpha(BYTE alpha) { m_alpha = alpha; }
    TColor ShadowColor() const { return m_colour; }
    void SetShadowColor(TColor colour) { m_colour = colour; }
    // Precondition of drawing: radius > 0.
    int BlurRadius() const { return m_radius; }
    void SetBlurRadius(int radius) { m_radius = radius; }
    float BlurSigma() const { return m_sigma; }
    // Only a positive sigma is taken; any other value is refused (traced) and the old one stays.
    void SetBlurSigma(float sigma);
    bool ShadowEnabled() const { return m_enabled; }
    void SetShadowEnabled(bool enabled) { m_enabled = enabled; }

    // Turns a white-on-black 32-bit bitmap into this layout's shadow picture.
    void MakeShadow(TBitmap& bitmap) const;

private:
    template <typename Char>
    void DrawShaded(TCanvas& canvas, const std::basic_string<Char>& text, const RECT& rect,
                    UINT format);
    template <typename Char>
    void MeasureShaded(TCanvas& canvas, const std::basic_string<Char>& text, RECT& rect,
                       UINT format);
    RECT TextRect(const RECT& rect) const;

    int m_offsetX = 1;
    int m_offsetY = 1;
    BYTE m_alpha = 120;
    TColor m_colour = clBlack;
    int m_radius = 2;
    float m_sigma = 1.0f;
    bool m_enabled = true;
};

} // namespace lumo
