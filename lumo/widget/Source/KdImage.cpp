#include "lumo/widget/Source/KdImage.h"

#include <algorithm>

using namespace lumo;

KdImage::KdImage(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    m_picture.OnChange = [this](TObject*) { PictureChanged(); };
}

void KdImage::SetAlphaChannel(bool alphaChannel)
{
    if (alphaChannel != m_alphaChannel) {
        m_alphaChannel = alphaChannel;
        Invalidate();
    }
}

void KdImage::SetAlphaBlend(bool alphaBlend)
{
    if (alphaBlend != m_alphaBlend) {
        m_alphaBlend = alphaBlend;
        Invalidate();
    }
}

void KdImage::SetAlphaValue(BYTE alphaValue)
{
    if (alphaValue != m_alphaValue) {
        m_alphaValue = alphaValue;
        if (m_alphaBlend) {
            Invalidate();
        }
    }
}

void KdImage::SetAutoSize(bool autoSize)
{
    if (autoSize != m_autoSize) {
        m_autoSize = autoSize;
        if (m_autoSize && !m_picture.Empty()) {
            TGraphicControl::SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
        }
    }
}

void KdImage::SetBounds(int left, int top, int width, int height)
{
    if (m_autoSize && !m_picture.Empty()) {
        width = m_picture.Width();
        height = m_picture.Height();
    }
    TGraphicControl::SetBounds(left, top, width, height);
}

void KdImage::PictureChanged()
{
    if (m_autoSize && !m_picture.Empty()) {
        TGraphicControl::SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
    }
    Invalidate();
}

void KdImage::BlendOnto(TBitmap& target, const TBitmap& picture, bool alphaBlend, BYTE alphaValue)
{
    if (target.PixelFormat() != TPixelFormat::pf24bit ||
        picture.PixelFormat() != TPixelFormat::pf32bit) {
        return;
    }
    int width = std::min(target.Width(), picture.Width());
    int height = std::min(target.Height(), picture.Height());
    // x = A / 255 (times V / 255) in exact integer arithmetic: d (1 - x) + s x becomes
    // (d (D - w) + s w) / D with w = A (or A V) and D = 255 (or 255 * 255); the division
    // truncates.
    const unsigned scale = alphaBlend ? 255u * 255u : 255u;
    for (int y = 0; y < height; ++y) {
        const BYTE* source = picture.ScanLine(y);
        BYTE* dest = target.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const BYTE* s = source + 4 * x;
            BYTE* d = dest + 3 * x;
            unsigned weight = alphaBlend ? unsigned(s[3]) * alphaValue : unsigned(s[3]);
            for (int channel = 0; channel < 3; ++channel) {
                d[channel] = static_cast<BYTE>(
                    (unsigned(d[channel]) * (scale - weight) + unsigned(s[channel]) * weight) /
                    scale);
            }
        }
    }
    target.Changed();
}

void KdImage::Paint(TCanvas& canvas)
{
    if (Width() <= 0 || Height() <= 0 || m_picture.Empty()) {
        return;
    }
    if (!m_alphaChannel || m_picture.PixelFormat() != TPixelFormat::pf32bit) {
        canvas.Draw(0, 0, m_picture);
        return;
    }
    // What the canvas shows below the control, with the picture blended on top.
    TBitmap work(Width(), Height(), TPixelFormat::pf24bit);
    BitBlt(work.Canvas().Handle(), 0, 0, Width(), Height(), canvas.Handle(), 0, 0, SRCCOPY);
    BlendOnto(work, m_picture, m_alphaBlend, m_alphaValue);
    canvas.Draw(0, 0, work);
}
