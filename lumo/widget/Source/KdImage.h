#pragma once
// An image control that can draw a 32-bit picture with its per-pixel alpha over whatever lies
// behind it, optionally faded further by a constant opacity.
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Control.h"

class KdImage : public lumo::TGraphicControl
{
public:
    LUMO_CLASS_NAME(KdImage)
    explicit KdImage(lumo::TComponent* owner);

    // Any change of the picture invalidates the control (and sizes it when AutoSize is set).
    lumo::TBitmap& Picture() { return m_picture; }
    // Copies bitmap into the picture.
    void SetPicture(const lumo::TBitmap& bitmap) { m_picture.Assign(bitmap); }

    // Blend with the picture's alpha channel (32-bit pictures only; others are drawn opaque).
    bool AlphaChannel() const { return m_alphaChannel; }
    void SetAlphaChannel(bool alphaChannel);
    // Multiply the per-pixel alpha by AlphaValue / 255.
    bool AlphaBlend() const { return m_alphaBlend; }
    void SetAlphaBlend(bool alphaBlend);
    BYTE AlphaValue() const { return m_alphaValue; }
    void SetAlphaValue(BYTE alphaValue);
    // The control is exactly as large as the picture.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);

    void SetBounds(int left, int top, int width, int height) override;
    void Paint(lumo::TCanvas& canvas) override;

    // Blends a 32-bit picture onto a 24-bit bitmap at (0, 0), up to the smaller of the two:
    // each channel d becomes d (1 - x) + s x, truncated, with x = A / 255 (times
    // alphaValue / 255 when alphaBlend is set).
    static void BlendOnto(lumo::TBitmap& target, const lumo::TBitmap& picture, bool alphaBlend,
                          BYTE alphaValue);

private:
    void PictureChanged();

    lumo::TBitmap m_picture;
    bool m_alphaChannel = false;
    bool m_alphaBlend = false;
    BYTE m_alphaValue = 255;
    bool m_autoSize = false;
};
