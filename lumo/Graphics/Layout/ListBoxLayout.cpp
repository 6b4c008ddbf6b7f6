#include "lumo/Graphics/Layout/ListBoxLayout.h"

#include "lumo/Forms/Gdi.h"

#include <algorithm>

namespace lumo {

TCustomListBoxLayout::~TCustomListBoxLayout()
{
    Detach();
}

void TCustomListBoxLayout::Attach(TListBox* listBox)
{
    if (listBox == m_listBox) {
        return;
    }
    Detach();
    if (!listBox) {
        return;
    }
    m_listBox = listBox;
    m_previousDrawItem = listBox->OnDrawItem;
    m_previousMeasureItem = listBox->OnMeasureItem;
    m_previousWindowProc = listBox->WindowProc;
    m_previousDestroy = listBox->OnDestroy;
    listBox->OnDrawItem = [this](TListBox* list, TCanvas& canvas, int index, const RECT& rect,
                                 UINT state) { DrawItem(*list, canvas, index, rect, state); };
    listBox->OnMeasureItem = [this](TListBox* list, int index, int& height) {
        MeasureItem(*list, index, height);
    };
    listBox->WindowProc = [this](TMessage& message) { ListMessage(message); };
    listBox->OnDestroy = [this](TObject* sender) {
        // The list box goes away first: nothing is left to restore.
        TNotifyEvent previous = m_previousDestroy;
        m_listBox = nullptr;
        if (previous) {
            previous(sender);
        }
    };
    m_wasStandard = listBox->Style() == TListBoxStyle::lbStandard;
    if (m_wasStandard) {
        // Makes the list window again, which measures through the handler just installed.
        listBox->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    } else {
        listBox->MeasureItems();
    }
    listBox->Invalidate();
}

void TCustomListBoxLayout::Detach()
{
    TListBox* listBox = m_listBox;
    if (!listBox) {
        return;
    }
    m_listBox = nullptr;
    listBox->OnDrawItem = m_previousDrawItem;
    listBox->OnMeasureItem = m_previousMeasureItem;
    listBox->WindowProc = m_previousWindowProc;
    listBox->OnDestroy = m_previousDestroy;
    if (m_wasStandard) {
        listBox->SetStyle(TListBoxStyle::lbStandard);
    } else {
        listBox->MeasureItems();
    }
    listBox->Invalidate();
}

void TCustomListBoxLayout::ListMessage(TMessage& message)
{
    if (message.Msg == WM_ERASEBKGND && m_listBox) {
        EraseBackground(*m_listBox, reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    }
    if (m_previousWindowProc) {
        m_previousWindowProc(message);
    } else if (m_listBox) {
        m_listBox->ListWndProc(message);
    }
}

void TListBackgroundPainter::Paint(TCanvas& canvas, const RECT& rect, TColor colour)
{
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(colour);
    canvas.FillRect(rect);
}

TListBoxLayout::TListBoxLayout(TOwnerDrawTextLayout* textLayout)
    : m_painter(std::make_unique<TListBackgroundPainter>())
{
    if (!textLayout) {
        m_ownTextLayout = std::make_unique<TOwnerDrawTextLayout>();
        textLayout = m_ownTextLayout.get();
    }
    m_textLayout = textLayout;
}

TListBoxLayout::TListBoxLayout(std::unique_ptr<TOwnerDrawTextLayout> textLayout)
    : TListBoxLayout(textLayout.get())
{
    if (textLayout) {
        m_ownTextLayout = std::move(textLayout);
    }
}

TListBoxLayout::~TListBoxLayout()
{
    // While this part still exists, so no message can reach a half-destroyed layout.
    Detach();
}

void TListBoxLayout::SetBackgroundPainter(std::unique_ptr<TListBackgroundPainter> painter)
{
    m_painter = painter ? std::move(painter) : std::make_unique<TListBackgroundPainter>();
}

void TListBoxLayout::SetMargins(int top, int bottom)
{
    m_topMargin = std::max(0, top);
    m_bottomMargin = std::max(0, bottom);
}

UINT TListBoxLayout::AlignmentFlags() const
{
    UINT flags = DT_SINGLELINE | DT_NOPREFIX;
    if (m_horizontal == 1) {
        flags |= DT_RIGHT;
    } else if (m_horizontal == 2) {
        flags |= DT_CENTER;
    } else {
        flags |= DT_LEFT;
    }
    if (m_vertical == 1) {
        flags |= DT_BOTTOM;
    } else if (m_vertical == 2) {
        flags |= DT_VCENTER;
    }
    return flags;
}

void TListBoxLayout::DrawItem(TListBox& listBox, TCanvas& canvas, int index, const RECT& rect,
                              UINT state)
{
    bool selected = (state & ODS_SELECTED) != 0;
    m_painter->Paint(canvas, rect, selected ? m_selectedColour : listBox.Color());
    RECT text = rect;
    text.left += m_indent;
    text.right -= m_indent;
    text.top += m_topMargin;
    text.bottom -= m_bottomMargin;
    m_textLayout->DrawText(canvas, listBox.Item(index), text, AlignmentFlags(), state);
}

void TListBoxLayout::MeasureItem(TListBox& listBox, int index, int& height)
{
    MemoryDC dc;
    TCanvas canvas(dc.Get());
    canvas.Font().Assign(listBox.Font());
    std::string text = index >= 0 && index < listBox.Count() ? listBox.Item(index) : "";
    if (text.empty()) {
        // An empty item is as high as any other line.
        text = "Wg";
    }
    RECT area = {0, 0, std::max(1, listBox.Width()), 0};
    // Measured from the top: with vertical centring the system moves a zero-high rectangle up.
    m_textLayout->MeasureText(canvas, text, area, AlignmentFlags() & ~(DT_VCENTER | DT_BOTTOM));
    height = (area.bottom - area.top) + m_topMargin + m_bottomMargin;
}

void TListBoxLayout::EraseBackground(TListBox& listBox, HDC dc)
{
    RECT client = listBox.ListClientRect();
    RECT empty = client;
    if (listBox.Count() > 0) {
        RECT last = listBox.ItemRect(listBox.Count() - 1);
        empty.top = std::max(client.top, static_cast<LONG>(last.bottom));
    }
    if (empty.top < empty.bottom) {
        TCanvas canvas(dc);
        m_painter->Paint(canvas, empty, listBox.Color());
    }
}

} // namespace lumo
