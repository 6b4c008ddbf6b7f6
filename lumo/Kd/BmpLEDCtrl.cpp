#include "lumo/Kd/BmpLEDCtrl.h"

#include "lumo/System/Source/Assert.h"

#include <algorithm>

namespace lumo {
namespace {

// The picture child lets the mouse through to the control it belongs to.
class TLEDImage : public TImage
{
public:
    LUMO_CLASS_NAME(TLEDImage)
    using TImage::TImage;
    bool HitTest(int, int) const override { return false; }
};

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
    m_image = new TLEDImage(nullptr);
    m_picture = &m_image->Picture();
    m_picture->SetPixelFormat(FewColourScreen() ? TPixelFormat::pf4bit : TPixelFormat::pf24bit);
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
    if (m_picture->Empty()) {
        return;
    }
    TCanvas& canvas = m_picture->Canvas();
    const TBitmap& bitmap = *m_bitmaps[m_state];
    int width = std::min(bitmap.Width(), m_picture->Width());
    int height = std::min(bitmap.Height(), m_picture->Height());
    if (width < m_picture->Width() || height < m_picture->Height()) {
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(m_owner.Color());
        canvas.FillRect(RECT{0, 0, m_picture->Width(), m_picture->Height()});
    }
    if (width > 0 && height > 0) {
        RECT area = {0, 0, width, height};
        canvas.CopyRect(area, const_cast<TBitmap&>(bitmap).Canvas(), area);
    }
    if (OnPaint) {
        OnPaint(canvas);
    }
}

void TBmpLEDCtrl::SetSize(int width, int height)
{
    m_picture->SetSize(width, height);
    m_image->SetBounds(0, 0, width, height);
}

void TBmpLEDCtrl::BitmapChanged(TObject* sender)
{
    if (IndexOf(sender) == m_state) {
        Repaint();
    }
}

} // namespace lumo
