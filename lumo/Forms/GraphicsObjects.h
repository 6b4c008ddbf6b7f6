#pragma once
// Font, pen and brush: descriptions of GDI objects that create their handle when it is first
// needed and drop it whenever they change. A canvas selects them only for the length of one
// drawing call, so a handle is never deleted while selected.
#include "lumo/Forms/Gdi.h"
#include "lumo/Forms/Types.h"

#include <string>

namespace lumo {

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

class TFont : public TObject
{
public:
    LUMO_CLASS_NAME(TFont)
    TFont();

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    // Height as in LOGFONT: negative is the character height in pixels, positive the cell height.
    int Height() const { return m_height; }
    void SetHeight(int height);
    // Size in points (at the screen's pixels per inch).
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return m_charset; }
    void SetCharset(BYTE charset);

    // Copies name, height, colour, style and charset; fires OnChange once when anything differs.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    HFONT Handle();

    // Fires after every change, with the font as sender.
    TNotifyEvent OnChange;

private:
    void Changed(bool handleChanged);

    std::string m_name;
    int m_height;
    TColor m_color;
    TFontStyles m_style;
    BYTE m_charset;
    FontHandle m_handle;
};

enum class TPenStyle
{
    psSolid,
    psDash,
    psDot,
    psClear
};

class TPen : public TObject
{
public:
    LUMO_CLASS_NAME(TPen)
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    int Width() const { return m_width; }
    void SetWidth(int width);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle style);
    void Assign(const TPen& other);

    HPEN Handle();
    TNotifyEvent OnChange;

private:
    void Changed();

    TColor m_color = clBlack;
    int m_width = 1;
    TPenStyle m_style = TPenStyle::psSolid;
    PenHandle m_handle;
};

enum class TBrushStyle
{
    bsSolid,
    bsClear
};

class TBrush : public TObject
{
public:
    LUMO_CLASS_NAME(TBrush)
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style);
    void Assign(const TBrush& other);

    // Null for the clear style.
    HBRUSH Handle();
    TNotifyEvent OnChange;

private:
    void Changed();

    TColor m_color = clWhite;
    TBrushStyle m_style = TBrushStyle::bsSolid;
    BrushHandle m_handle;
};

} // namespace lumo
