#pragma once
// Owner-draw adapters: they colour an item's text by its owner-draw state (ODS_* flags of
// DRAWITEMSTRUCT) and draw it through a text layout.
#include "lumo/Graphics/Layout/TLayout.h"

#include <memory>

namespace lumo {

class TOwnerDrawTextLayout
{
public:
    // Draws through layout (not owned) or, when null, through a plain layout of its own.
    explicit TOwnerDrawTextLayout(TTextLayout* layout = nullptr);
    virtual ~TOwnerDrawTextLayout() = default;
    TOwnerDrawTextLayout(const TOwnerDrawTextLayout&) = delete;
    TOwnerDrawTextLayout& operator=(const TOwnerDrawTextLayout&) = delete;

    // Text colour of selected items (default the system highlight-text colour).
    TColor HighlightColor() const { return m_highlight; }
    void SetHighlightColor(TColor colour) { m_highlight = colour; }
    // Text colour of grayed or disabled items (default the system grey-text colour).
    TColor DisabledColor() const { return m_disabled; }
    void SetDisabledColor(TColor colour) { m_disabled = colour; }

    // Grayed or disabled: the disabled colour; else selected: the highlight colour; else the
    // canvas's font colour stays.
    void SetColors(TCanvas& canvas, UINT state) const;
    void DrawText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT format,
                  UINT state);
    void DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect, UINT format,
                  UINT state);
    void MeasureText(TCanvas& canvas, const std::string& text, RECT& rect, UINT format);

    TTextLayout& Layout() { return *m_layout; }

private:
    std::unique_ptr<TTextLayout> m_own;
    TTextLayout* m_layout;
    TColor m_highlight = clHighlightText;
    TColor m_disabled = clGrayText;
};

// The same, drawing through a shaded text layout of its own.
class TOwnerDrawShadedTextLayout : public TOwnerDrawTextLayout
{
public:
    TOwnerDrawShadedTextLayout() : TOwnerDrawTextLayout(&m_shaded) {}
    TShadedTextLayout& Shaded() { return m_shaded; }

private:
    // Built after the base, which only keeps its address.
    TShadedTextLayout m_shaded;
};

} // namespace lumo
