#include "lumo/Forms/Label.h"

#include "lumo/Forms/Gdi.h"

namespace lumo {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment != m_alignment) {
        m_alignment = alignment;
        Invalidate();
    }
}

void TLabel::SetLayout(TLabelLayout layout)
{
    if (layout != m_layout) {
        m_layout = layout;
        Invalidate();
    }
}

void TLabel::SetWordWrap(bool wordWrap)
{
    if (wordWrap != m_wordWrap) {
        m_wordWrap = wordWrap;
        AdjustBounds();
        Invalidate();
    }
}

void TLabel::SetTransparent(bool transparent)
{
    if (transparent != m_transparent) {
        m_transparent = transparent;
        Invalidate();
    }
}

void TLabel::SetAutoSize(bool autoSize)
{
    if (autoSize != m_autoSize) {
        m_autoSize = autoSize;
        AdjustBounds();
    }
}

void TLabel::SetShowAccelChar(bool show)
{
    if (show != m_showAccelChar) {
        m_showAccelChar = show;
        AdjustBounds();
        Invalidate();
    }
}

void TLabel::CaptionChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

UINT TLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    if (m_wordWrap) {
        flags |= DT_WORDBREAK;
    } else {
        flags |= DT_SINGLELINE;
    }
    if (!m_showAccelChar) {
        flags |= DT_NOPREFIX;
    }
    switch (m_alignment) {
    case TAlignment::taLeftJustify:
        flags |= DT_LEFT;
        break;
    case TAlignment::taRightJustify:
        flags |= DT_RIGHT;
        break;
    case TAlignment::taCenter:
        flags |= DT_CENTER;
        break;
    }
    return flags;
}

SIZE TLabel::TextSize(int width)
{
    // A memory DC on the screen measures as the screen does, without asking the window system
    // for a DC; the label's own font handle serves measuring and painting alike.
    MemoryDC measure;
    SelectedObject font(measure.Get(), Font().Handle());
    RECT rect = {0, 0, m_wordWrap ? width : 0, 0};
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    DrawTextA(measure.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
              TextFlags() | DT_CALCRECT);
    return SIZE{m_wordWrap ? width : rect.right, rect.bottom};
}

void TLabel::AdjustBounds()
{
    if (!m_autoSize || IsDestroying()) {
        return;
    }
    if (!Parent()) {
        // Measured once it has a parent: a label is mostly set up first and placed last.
        m_measurePending = true;
        return;
    }
    m_measurePending = false;
    SIZE size = TextSize(Width());
    int left = Left();
    // A right-aligned or centred label keeps its right edge or its centre.
    if (!m_wordWrap && m_alignment == TAlignment::taRightJustify) {
        left += Width() - size.cx;
    } else if (!m_wordWrap && m_alignment == TAlignment::taCenter) {
        left += (Width() - size.cx) / 2;
    }
    TGraphicControl::SetBounds(left, Top(), size.cx, size.cy);
}

void TLabel::SetBounds(int left, int top, int width, int height)
{
    if (m_autoSize && !IsDestroying()) {
        if (!Parent()) {
            m_measurePending = true;
        } else {
            m_measurePending = false;
            SIZE size = TextSize(width);
            width = size.cx;
            height = size.cy;
        }
    }
    TGraphicControl::SetBounds(left, top, width, height);
}

void TLabel::SetParent(TWinControl* parent)
{
    TGraphicControl::SetParent(parent);
    if (parent && m_measurePending && m_autoSize && !IsDestroying()) {
        m_measurePending = false;
        SIZE size = TextSize(Width());
        TGraphicControl::SetBounds(Left(), Top(), size.cx, size.cy);
    }
}

void TLabel::Paint(TCanvas& canvas)
{
    RECT rect = ClientRect();
    if (!m_transparent) {
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.FillRect(rect);
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    UINT flags = TextFlags();
    if (m_layout != TLabelLayout::tlTop) {
        RECT measure = rect;
        canvas.DrawText(Caption(), measure, flags | DT_CALCRECT);
        int textHeight = measure.bottom - measure.top;
        int offset = m_layout == TLabelLayout::tlBottom ? rect.bottom - textHeight
                                                        : (rect.bottom - textHeight) / 2;
        rect.top += offset;
    }
    if (!Enabled()) {
        canvas.Font().SetColor(clGrayText);
    }
    canvas.DrawText(Caption(), rect, flags);
}

} // namespace lumo
