#include "views/SkinComboBoxParts.h"

#include "lumo/Forms/Gdi.h"
#include "lumo/Graphics/Layout/ListBoxLayout.h"
#include "lumo/Graphics/Region.h"
#include "lumo/System/Source/TraceLog.h"
#include "views/SkinComboBox.h"

#include <algorithm>

using namespace lumo;

namespace tv {
namespace {

// The smallest font a long text shrinks to before it is cut.
constexpr int kSmallestFontHeight = -9;
// Sizes used when a picture is missing.
constexpr int kFieldWidth = 132;
constexpr int kFieldHeight = 18;
constexpr TColor kFieldColor = 0x4E4334;

} // namespace

namespace combo {

void SetFont(TFont& font, int height, TColor color)
{
    font.SetName(kFontName);
    font.SetHeight(height);
    font.SetColor(color);
}

int FittingFontHeight(TCanvas& canvas, const std::string& text, int width)
{
    TFont& font = canvas.Font();
    const int original = font.Height();
    int height = kFontHeight;
    for (; height < kSmallestFontHeight; ++height) {
        font.SetHeight(height);
        if (canvas.TextWidth(text) <= width) {
            break;
        }
    }
    font.SetHeight(original);
    return height;
}

} // namespace combo

// List items as the value panel shows its text: a long one in a smaller font, then cut.
class TComboDropPanel::FittingLayout : public TTextLayout
{
public:
    void DrawText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT format) override
    {
        TFont& font = canvas.Font();
        const int original = font.Height();
        font.SetHeight(combo::FittingFontHeight(canvas, text, rect.right - rect.left));
        TTextLayout::DrawText(canvas, text, rect, format | DT_END_ELLIPSIS);
        font.SetHeight(original);
    }
    using TTextLayout::DrawText;
};

// ---- the value panel ---------------------------------------------------------------------------

TComboValuePanel::TComboValuePanel(TComponent* owner, TBitmap* field)
    : TGraphicControl(owner), m_field(field && !field->Empty() ? field : nullptr)
{
    SetBounds(0, 0, m_field ? m_field->Width() : kFieldWidth,
              m_field ? m_field->Height() : kFieldHeight);
}

void TComboValuePanel::SetText(const std::string& text, TColor color)
{
    if (text == m_text && color == m_color) {
        return;
    }
    m_text = text;
    m_color = color;
    FitText();
    Invalidate();
}

void TComboValuePanel::FitText()
{
    MemoryDC dc;
    TCanvas canvas(dc.Get());
    combo::SetFont(canvas.Font(), combo::kFontHeight, m_color);
    m_fontHeight = combo::FittingFontHeight(canvas, m_text, combo::kTextWidth);
}

void TComboValuePanel::Paint(TCanvas& canvas)
{
    if (m_field) {
        canvas.Draw(0, 0, *m_field);
    } else {
        canvas.Brush().SetColor(kFieldColor);
        canvas.FillRect(ClientRect());
    }
    if (m_text.empty()) {
        return;
    }
    combo::SetFont(canvas.Font(), m_fontHeight, m_color);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    RECT box = {combo::kTextLeft, combo::kTextTop, combo::kTextLeft + combo::kTextWidth, Height()};
    canvas.DrawText(m_text, box,
                    DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);
}

// ---- the drop panel ----------------------------------------------------------------------------

TComboDropPanel::TComboDropPanel(TComponent* owner, const SkinComboBoxParts& parts)
    : TWinControl(owner), m_body(parts.body && !parts.body->Empty() ? parts.body : nullptr),
      m_bottom(parts.bottom && !parts.bottom->Empty() ? parts.bottom : nullptr),
      m_mask(parts.mask && !parts.mask->Empty() ? parts.mask : nullptr)
{
    SetOpaque(true);
    SetColor(combo::kListColor);
    m_list = new TListBox(this);
    m_list->SetParent(this);
    m_list->SetBorder(false);
    m_list->SetColor(combo::kListColor);
    m_list->SetParentFont(false);
    combo::SetFont(m_list->Font(), combo::kFontHeight, combo::kTextColor);
    m_fitting = std::make_unique<FittingLayout>();
    m_itemText = std::make_unique<TOwnerDrawTextLayout>(m_fitting.get());
    m_layout = std::make_unique<TListBoxLayout>(m_itemText.get());
    m_layout->SetSelectedColor(combo::kSelectedColor);
    m_layout->SetMargins(1, 1);
    m_layout->SetIndent(4);
    m_layout->TextLayout().SetHighlightColor(combo::kTextColor);
    m_layout->TextLayout().SetDisabledColor(combo::kDisabledTextColor);
    m_layout->Attach(m_list);
}

TComboDropPanel::~TComboDropPanel()
{
    // While the list still exists.
    m_layout.reset();
}

void TComboDropPanel::CreateWnd()
{
    TWinControl::CreateWnd();
    Shape();
}

void TComboDropPanel::Resize()
{
    TWinControl::Resize();
    const int bottom = m_bottom ? m_bottom->Height() : 4;
    // Inside the sides' three-pixel rims, down to the bottom edge.
    m_list->SetBounds(3, 0, std::max(1, Width() - 6), std::max(1, Height() - bottom));
    Shape();
}

void TComboDropPanel::Shape()
{
    if (!HandleAllocated() || !m_mask) {
        return;
    }
    WinRegion region;
    if (m_mask->Width() == Width() && m_mask->Height() == Height()) {
        region.BuildFromBitmap(*m_mask, m_mask->TransparentColor());
    } else {
        region.SetRect(0, 0, Width(), Height());
    }
    if (!region.ApplyToWindow(Handle(), true)) {
        TraceLog("[TComboDropPanel::Shape] SetWindowRgn failed! GetLastError returned %lu",
                 GetLastError());
    }
}

void TComboDropPanel::WndProc(TMessage& message)
{
    if (message.Msg == kFocusCheck) {
        if (auto* dropDown = dynamic_cast<SkinComboBox*>(Owner())) {
            dropDown->FocusLeft();
        }
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

void TComboDropPanel::Paint(TCanvas& canvas)
{
    const int bottom = m_bottom ? m_bottom->Height() : 0;
    RECT sides = {0, 0, Width(), Height() - bottom};
    if (m_body) {
        canvas.StretchDraw(sides, *m_body);
    } else {
        canvas.Brush().SetColor(combo::kListColor);
        canvas.FillRect(ClientRect());
        canvas.Brush().SetColor(kFieldColor);
        canvas.FrameRect(ClientRect());
    }
    if (m_bottom) {
        canvas.Draw(0, Height() - bottom, *m_bottom);
    }
}

} // namespace tv
