#pragma once
// A graphic control showing a bitmap: optionally sized to it, stretched, centred, or drawn
// without its transparent colour.
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Control.h"

namespace lumo {

class TImage : public TGraphicControl
{
public:
    LUMO_CLASS_NAME(TImage)
    explicit TImage(TComponent* owner);

    // The picture; any change to it repaints the image (and resizes it when AutoSize is set).
    TBitmap& Picture() { return m_picture; }
    // Copies bitmap into the picture.
    void SetPicture(const TBitmap& bitmap) { m_picture.Assign(bitmap); }

    // Makes the control exactly as large as the picture.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);
    bool Center() const { return m_center; }
    void SetCenter(bool center);
    // The picture's transparent colour is left out, so what lies below shows through.
    bool Transparent() const { return m_picture.Transparent(); }
    void SetTransparent(bool transparent) { m_picture.SetTransparent(transparent); }

    void SetBounds(int left, int top, int width, int height) override;
    void Paint(TCanvas& canvas) override;

protected:
    // The picture changed (OnChange of the picture calls it).
    virtual void PictureChanged();

private:
    void FitToPicture();

    TBitmap m_picture;
    bool m_autoSize = false;
    bool m_stretch = false;
    bool m_center = false;
};

} // namespace lumo
