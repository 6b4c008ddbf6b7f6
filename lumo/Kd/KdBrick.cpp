#include "lumo/Kd/KdBrick.h"

using namespace lumo;

KdBrick::KdBrick(TComponent* owner) : KdCustomControl(owner, true, 3), m_appearance(*this, 0) {}

bool KdBrick::LoadBitmap(const std::string& folder, const std::string& normal,
                         const std::string& focused, const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.FirstState(), folder, {normal, focused, disabled});
}

KdBrickTx::KdBrickTx(TComponent* owner) : KdBrick(owner)
{
    // A brick's caption never moves.
    Led().OnPaint = [this](TCanvas& canvas) {
        m_caption.Draw(canvas, Font(), static_cast<TColor>(TextColor()), Caption(), false);
    };
    m_fontColors.OnChange = [this](TObject*) { Repaint(); };
}

void KdBrickTx::SetTextBounds(int left, int top, int width, int height)
{
    m_caption.Bounds = RECT{left, top, left + width, top + height};
    Repaint();
}

void KdBrickTx::SetDisp(int x, int y)
{
    m_caption.Displacement = POINT{x, y};
    Repaint();
}

void KdBrickTx::SetBounds(int left, int top, int width, int height)
{
    KdBrick::SetBounds(left, top, width, height);
    m_caption.Bounds = RECT{0, 0, Width(), Height()};
    Repaint();
}

void KdBrickTx::ShowBitmap(int state)
{
    int shown = ShownState();
    KdBrick::ShowBitmap(state);
    if (ShownState() == shown) {
        Led().Repaint();
    }
}

void KdBrickTx::CaptionChanged()
{
    Repaint();
}

void KdBrickTx::FontChanged()
{
    KdBrick::FontChanged();
    Repaint();
}

COLORREF KdBrickTx::TextColor() const
{
    TColor color = kdColorNotSet;
    switch (RequestedState()) {
    case 1:
        color = m_fontColors.Focused();
        break;
    case 2:
        color = m_fontColors.Disabled();
        if (color == kdColorNotSet) {
            color = clGrayText;
        }
        break;
    default:
        break;
    }
    if (color == kdColorNotSet) {
        color = const_cast<KdBrickTx*>(this)->Font().Color();
    }
    return ColorToRGB(color);
}
