#include "lumo/Kd/KdButton.h"

#include "lumo/Forms/Form.h"

using namespace lumo;

KdButton::KdButton(TComponent* owner) : KdCustomControl(owner, false, 4), m_appearance(*this, 0)
{
    // A double click is two clicks.
    SetDoubleClicks(false);
}

bool KdButton::LoadBitmap(const std::string& folder, const std::string& raised,
                          const std::string& sunken, const std::string& focused,
                          const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.FirstState(), folder, {raised, sunken, focused, disabled});
}

void KdButton::Click()
{
    if (TForm* form = ParentForm()) {
        form->SetModalResult(m_modalResult);
    }
    KdCustomControl::Click();
}

KdButtonTx::KdButtonTx(TComponent* owner) : KdButton(owner)
{
    Led().OnPaint = [this](TCanvas& canvas) { PaintCaption(canvas); };
    m_fontColors.OnChange = [this](TObject*) { Repaint(); };
}

void KdButtonTx::SetTextBounds(int left, int top, int width, int height)
{
    m_caption.Bounds = RECT{left, top, left + width, top + height};
    Repaint();
}

void KdButtonTx::SetDisp(int x, int y)
{
    m_caption.Displacement = POINT{x, y};
    Repaint();
}

void KdButtonTx::SetBounds(int left, int top, int width, int height)
{
    KdButton::SetBounds(left, top, width, height);
    m_caption.Bounds = RECT{0, 0, Width(), Height()};
    Repaint();
}

void KdButtonTx::ShowBitmap(int state)
{
    int shown = ShownState();
    KdButton::ShowBitmap(state);
    if (ShownState() == shown) {
        Led().Repaint();
    }
}

void KdButtonTx::CaptionChanged()
{
    Repaint();
}

void KdButtonTx::FontChanged()
{
    KdButton::FontChanged();
    Repaint();
}

COLORREF KdButtonTx::TextColor() const
{
    TColor color = kdColorNotSet;
    switch (RequestedState()) {
    case 1:
        color = m_fontColors.Sunken();
        break;
    case 2:
        color = m_fontColors.Focused();
        break;
    case 3:
        color = m_fontColors.Disabled();
        if (color == kdColorNotSet) {
            color = clGrayText;
        }
        break;
    default:
        break;
    }
    if (color == kdColorNotSet) {
        color = const_cast<KdButtonTx*>(this)->Font().Color();
    }
    return ColorToRGB(color);
}

void KdButtonTx::PaintCaption(TCanvas& canvas)
{
    // Pressed text moves by the displacement for as long as the sunken state is shown.
    m_caption.Draw(canvas, Font(), static_cast<TColor>(TextColor()), Caption(),
                   RequestedState() == 1);
}
