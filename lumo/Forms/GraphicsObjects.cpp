#include "lumo/Forms/GraphicsObjects.h"

#include "lumo/System/Source/TraceLog.h"

#include <cstring>

namespace lumo {
namespace {

int ScreenPixelsPerInch()
{
    WindowDC screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

} // namespace

TFont::TFont()
    : m_name("MS Sans Serif"), m_height(-11), m_color(clWindowText), m_style(0),
      m_charset(DEFAULT_CHARSET)
{}

void TFont::SetName(const std::string& name)
{
    if (name != m_name) {
        m_name = name;
        Changed(true);
    }
}

void TFont::SetHeight(int height)
{
    if (height != m_height) {
        m_height = height;
        Changed(true);
    }
}

int TFont::Size() const
{
    return -MulDiv(m_height, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        Changed(false);
    }
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != m_style) {
        m_style = style;
        Changed(true);
    }
}

void TFont::SetCharset(BYTE charset)
{
    if (charset != m_charset) {
        m_charset = charset;
        Changed(true);
    }
}

bool TFont::SameAs(const TFont& other) const
{
    return m_name == other.m_name && m_height == other.m_height && m_color == other.m_color &&
           m_style == other.m_style && m_charset == other.m_charset;
}

void TFont::Assign(const TFont& other)
{
    if (&other == this || SameAs(other)) {
        return;
    }
    bool handleChanged = m_name != other.m_name || m_height != other.m_height ||
                         m_style != other.m_style || m_charset != other.m_charset;
    m_name = other.m_name;
    m_height = other.m_height;
    m_color = other.m_color;
    m_style = other.m_style;
    m_charset = other.m_charset;
    Changed(handleChanged);
}

HFONT TFont::Handle()
{
    if (!m_handle) {
        LOGFONTA font = {};
        font.lfHeight = m_height;
        font.lfWeight = (m_style & fsBold) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (m_style & fsItalic) ? TRUE : FALSE;
        font.lfUnderline = (m_style & fsUnderline) ? TRUE : FALSE;
        font.lfStrikeOut = (m_style & fsStrikeOut) ? TRUE : FALSE;
        font.lfCharSet = m_charset;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH;
        std::strncpy(font.lfFaceName, m_name.c_str(), LF_FACESIZE - 1);
        m_handle.Reset(CreateFontIndirectA(&font));
        if (!m_handle) {
            TraceLog("[TFont::Handle] CreateFontIndirect failed! GetLastError returned %lu",
                     GetLastError());
        }
    }
    return m_handle.Get();
}

void TFont::Changed(bool handleChanged)
{
    if (handleChanged) {
        m_handle.Reset();
    }
    if (OnChange) {
        OnChange(this);
    }
}

void TPen::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        Changed();
    }
}

void TPen::SetWidth(int width)
{
    if (width != m_width) {
        m_width = width;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style)
{
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TPen::Assign(const TPen& other)
{
    if (&other == this ||
        (m_color == other.m_color && m_width == other.m_width && m_style == other.m_style)) {
        return;
    }
    m_color = other.m_color;
    m_width = other.m_width;
    m_style = other.m_style;
    Changed();
}

HPEN TPen::Handle()
{
    if (!m_handle) {
        int style = PS_SOLID;
        switch (m_style) {
        case TPenStyle::psDash:
            style = PS_DASH;
            break;
        case TPenStyle::psDot:
            style = PS_DOT;
            break;
        case TPenStyle::psClear:
            style = PS_NULL;
            break;
        case TPenStyle::psSolid:
            break;
        }
        m_handle.Reset(CreatePen(style, m_width, ColorToRGB(m_color)));
    }
    return m_handle.Get();
}

void TPen::Changed()
{
    m_handle.Reset();
    if (OnChange) {
        OnChange(this);
    }
}

void TBrush::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TBrush::Assign(const TBrush& other)
{
    if (&other == this || (m_color == other.m_color && m_style == other.m_style)) {
        return;
    }
    m_color = other.m_color;
    m_style = other.m_style;
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (m_style == TBrushStyle::bsClear) {
        return nullptr;
    }
    if (!m_handle) {
        m_handle.Reset(CreateSolidBrush(ColorToRGB(m_color)));
    }
    return m_handle.Get();
}

void TBrush::Changed()
{
    m_handle.Reset();
    if (OnChange) {
        OnChange(this);
    }
}

} // namespace lumo
