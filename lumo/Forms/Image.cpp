#include "lumo/Forms/Image.h"

namespace lumo {

TImage::TImage(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    m_picture.OnChange = [this](TObject*) { PictureChanged(); };
}

void TImage::SetAutoSize(bool autoSize)
{
    if (autoSize != m_autoSize) {
        m_autoSize = autoSize;
        FitToPicture();
    }
}

void TImage::SetStretch(bool stretch)
{
    if (stretch != m_stretch) {
        m_stretch = stretch;
        Invalidate();
    }
}

void TImage::SetCenter(bool center)
{
    if (center != m_center) {
        m_center = center;
        Invalidate();
    }
}

void TImage::FitToPicture()
{
    if (m_autoSize && !m_picture.Empty()) {
        TGraphicControl::SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
    }
}

void TImage::SetBounds(int left, int top, int width, int height)
{
    if (m_autoSize && !m_picture.Empty()) {
        width = m_picture.Width();
        height = m_picture.Height();
    }
    TGraphicControl::SetBounds(left, top, width, height);
}

void TImage::PictureChanged()
{
    FitToPicture();
    Invalidate();
}

void TImage::Paint(TCanvas& canvas)
{
    if (m_picture.Empty()) {
        return;
    }
    if (m_stretch) {
        canvas.StretchDraw(ClientRect(), m_picture);
        return;
    }
    int x = 0;
    int y = 0;
    if (m_center) {
        x = (Width() - m_picture.Width()) / 2;
        y = (Height() - m_picture.Height()) / 2;
    }
    canvas.Draw(x, y, m_picture);
}

} // namespace lumo
