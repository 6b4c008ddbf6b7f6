#include "lumo/Kd/BmpLEDCtrl.h"

#include "lumo/System/Source/Assert.h"

#include <algorithm>
#include <cstring>

namespace lumo {

// The picture child lets the mouse through to the control it belongs to, and has the picture
// drawn just before it paints it.
class TLEDImage : public TImage
{
public:
    LUMO_CLASS_NAME(TLEDImage)
    explicit TLEDImage(TBmpLEDCtrl& led) : TImage(nullptr), m_led(led) {}
    bool HitTest(int, int) const override { return false; }

    void Paint(TCanvas& canvas) override
    {
        m_led.Draw();
        TImage::Paint(canvas);
    }

protected:
    void PictureChanged() override
    {
        // Drawing while painting must not ask for another paint.
        if (!m_led.m_drawing) {
            TImage::PictureChanged();
        }
    }

private:
    TBmpLEDCtrl& m_led;
};

namespace {

bool FewColourScreen()
{
    WindowDC screen(nullptr);
    if (!screen.Get()) {
        return false;
    }
    return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) < 5;
}

} // namespace

TBmpLEDCtrl::TBmpLEDCtrl(TWinControl& owner, int stateCount) : m_owner(owner)
{
    LUMO_ASSERT(stateCount > 0);
    m_image = new TLEDImage(*this);
    m_picture = &m_image->Picture();
    m_image->SetBounds(0, 0, 0, 0);
    m_image->SetParent(&owner);
    for (int i = 0; i < stateCount; ++i) {
        m_bitmaps.push_back(std::make_unique<TBitmap>());
        m_bitmaps.back()->OnChange = [this](TObject* sender) { BitmapChanged(sender); };
    }
}

TBmpLEDCtrl::~TBmpLEDCtrl()
{
    for (auto& bitmap : m_bitmaps) {
        bitmap->OnChange = nullptr;
    }
    delete m_image;
}

TBitmap& TBmpLEDCtrl::Bitmap(int index)
{
    LUMO_ASSERT(index >= 0);
    // clang-format off
    LUMO_ASSERT(index < (int) m_bitmaps.size());
    // clang-format on
    return *m_bitmaps[index];
}

const TBitmap& TBmpLEDCtrl::Bitmap(int index) const
{
    return const_cast<TBmpLEDCtrl*>(this)->Bitmap(index);
}

int TBmpLEDCtrl::IndexOf(const TObject* bitmap) const
{
    for (size_t i = 0; i < m_bitmaps.size(); ++i) {
        if (m_bitmaps[i].get() == bitmap) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TBmpLEDCtrl::ShowState(int state)
{
    LUMO_ASSERT(state >= 0 && state < StateCount());
    if (state == m_state) {
        return;
    }
    m_state = state;
    Repaint();
}

void TBmpLEDCtrl::Repaint()
{
    m_stale = true;
    m_image->Invalidate();
}

TBitmap& TBmpLEDCtrl::Picture()
{
    Draw();
    return *m_picture;
}

TColor TBmpLEDCtrl::TransparentColor() const
{
    if (m_picture->TransparentMode() == TTransparentMode::tmAuto) {
        const_cast<TBmpLEDCtrl*>(this)->Draw();
    }
    return m_picture->TransparentColor();
}

void TBmpLEDCtrl::Draw()
{
    if (!m_stale || m_drawing) {
        return;
    }
    m_stale = false;
    m_drawing = true;
    if (m_width == 0 || m_height == 0) {
        m_picture->SetSize(0, 0);
        m_drawing = false;
        return;
    }
    // The screen's depth may have changed since the last drawing.
    const TPixelFormat format = FewColourScreen() ? TPixelFormat::pf4bit : TPixelFormat::pf24bit;
    if (m_picture->PixelFormat() != format) {
        m_picture->SetPixelFormat(format);
    }
    m_picture->SetSize(m_width, m_height);
    const TBitmap& bitmap = *m_bitmaps[m_state];
    const int width = std::min(bitmap.Width(), m_width);
    const int height = std::min(bitmap.Height(), m_height);
    if (width < m_width || height < m_height) {
        TCanvas& canvas = m_picture->Canvas();
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(m_owner.Color());
        canvas.FillRect(RECT{0, 0, m_width, m_height});
    }
    if (width > 0 && height > 0) {
        if (bitmap.PixelFormat() == format && format == TPixelFormat::pf24bit) {
            // Row by row from the state's pixels, which thus need no device context (nor a copy
            // of their own when they are shared).
            GdiFlush();
            const size_t bytes = static_cast<size_t>(width) * 3;
            for (int y = 0; y < height; ++y) {
                std::memcpy(m_picture->ScanLine(y), bitmap.ScanLine(y), bytes);
            }
        } else {
            RECT area = {0, 0, width, height};
            m_picture->Canvas().CopyRect(area, const_cast<TBitmap&>(bitmap).Canvas(), area);
        }
    }
    if (OnPaint) {
        OnPaint(m_picture->Canvas());
    }
    m_drawing = false;
}

void TBmpLEDCtrl::SetSize(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_image->SetBounds(0, 0, m_width, m_height);
    Repaint();
}

void TBmpLEDCtrl::BitmapChanged(TObject* sender)
{
    if (IndexOf(sender) == m_state) {
        Repaint();
    }
}

} // namespace lumo
