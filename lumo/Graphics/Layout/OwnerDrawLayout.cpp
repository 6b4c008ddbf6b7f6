#include "lumo/Graphics/Layout/OwnerDrawLayout.h"

namespace lumo {

TOwnerDrawTextLayout::TOwnerDrawTextLayout(TTextLayout* layout)
{
    if (!layout) {
        m_own = std::make_unique<TTextLayout>();
        layout = m_own.get();
    }
    m_layout = layout;
}

void TOwnerDrawTextLayout::SetColors(TCanvas& canvas, UINT state) const
{
    if (state & (ODS_GRAYED | ODS_DISABLED)) {
        canvas.Font().SetColor(m_disabled);
    } else if (state & ODS_SELECTED) {
        canvas.Font().SetColor(m_highlight);
    }
}

void TOwnerDrawTextLayout::DrawText(TCanvas& canvas, const std::string& text, const RECT& rect,
                                    UINT format, UINT state)
{
    SetColors(canvas, state);
    m_layout->DrawText(canvas, text, rect, format);
}

void TOwnerDrawTextLayout::DrawText(TCanvas& canvas, const std::wstring& text, const RECT& rect,
                                    UINT format, UINT state)
{
    SetColors(canvas, state);
    m_layout->DrawText(canvas, text, rect, format);
}

void TOwnerDrawTextLayout::MeasureText(TCanvas& canvas, const std::string& text, RECT& rect,
                                       UINT format)
{
    m_layout->MeasureText(canvas, text, rect, format);
}

} // namespace lumo
