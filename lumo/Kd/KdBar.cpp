#include "lumo/Kd/KdBar.h"

#include <windowsx.h>

#include <algorithm>

using namespace lumo;

namespace {

// The indicator hands the mouse to the bar below it and tells the bar when its picture
// changed.
class TIndicatorImage : public TImage
{
public:
    LUMO_CLASS_NAME(TIndicatorImage)
    explicit TIndicatorImage(std::function<void()> changed)
        : TImage(nullptr), m_changed(std::move(changed))
    {}
    bool HitTest(int, int) const override { return false; }

protected:
    void PictureChanged() override
    {
        TImage::PictureChanged();
        if (m_changed) {
            m_changed();
        }
    }

private:
    std::function<void()> m_changed;
};

} // namespace

void KdBarOrigin::SetX(int x)
{
    if (x != m_x) {
        m_x = x;
        if (OnChange) {
            OnChange();
        }
    }
}

void KdBarOrigin::SetY(int y)
{
    if (y != m_y) {
        m_y = y;
        if (OnChange) {
            OnChange();
        }
    }
}

KdBar::KdBar(TComponent* owner) : KdBrick(owner)
{
    // Made after the bar's own picture, so it lies in front of it.
    m_indicator = new TIndicatorImage([this] { LocateIndicator(); });
    m_indicator->SetBounds(0, 0, 0, 0);
    m_indicator->SetAutoSize(true);
    m_indicator->SetParent(this);
    m_origin.OnChange = [this] { LocateIndicator(); };
}

KdBar::~KdBar()
{
    delete m_indicator;
}

TBitmap& KdBar::Indicator()
{
    return m_indicator->Picture();
}

void KdBar::SetIndicator(const TBitmap& bitmap)
{
    m_indicator->SetPicture(bitmap);
}

void KdBar::SetLength(int length)
{
    m_length = length;
    LocateIndicator();
}

void KdBar::SetScrollPos(int position)
{
    m_scrollPos = position;
    LocateIndicator();
}

void KdBar::SetKind(TScrollBarKind kind)
{
    m_kind = kind;
    LocateIndicator();
}

void KdBar::SetOrigin(int x, int y)
{
    m_origin.SetX(x);
    m_origin.SetY(y);
}

void KdBar::LocateIndicator()
{
    const TBitmap& picture = m_indicator->Picture();
    int x = m_origin.X() - picture.Width() / 2;
    int y = m_origin.Y() - picture.Height() / 2;
    if (m_kind == TScrollBarKind::sbHorizontal) {
        x += m_scrollPos;
        if (OnIndicate) {
            OnIndicate(this, x);
        }
    } else {
        y += m_scrollPos;
        if (OnIndicate) {
            OnIndicate(this, y);
        }
    }
    m_indicator->SetBounds(x, y, picture.Width(), picture.Height());
}

void KdBar::StartDrag(int x, int y)
{
    if (!HitTest(x, y)) {
        return;
    }
    m_last = POINT{x, y};
    m_dragging = true;
    if (OnStartScroll) {
        OnStartScroll(this);
    }
}

void KdBar::Drag(int x, int y)
{
    int delta = m_kind == TScrollBarKind::sbHorizontal ? x - m_last.x : y - m_last.y;
    int position = std::max(0, std::min(m_scrollPos + delta, m_length));
    bool forward = position >= m_scrollPos;
    if (OnScroll) {
        OnScroll(this, position, forward);
    }
    m_scrollPos = position;
    LocateIndicator();
    m_last = POINT{x, y};
}

void KdBar::EndDrag()
{
    m_dragging = false;
    if (OnEndScroll) {
        OnEndScroll(this);
    }
}

void KdBar::WndProc(TMessage& message)
{
    int x = GET_X_LPARAM(message.LParam);
    int y = GET_Y_LPARAM(message.LParam);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        StartDrag(x, y);
        break;
    case WM_MOUSEMOVE:
        if (m_dragging) {
            Drag(x, y);
        }
        break;
    case WM_LBUTTONUP:
        if (m_dragging) {
            EndDrag();
        }
        break;
    case WM_CAPTURECHANGED:
        if (m_dragging && reinterpret_cast<HWND>(message.LParam) != m_handle) {
            EndDrag();
        }
        break;
    default:
        break;
    }
    KdBrick::WndProc(message);
}
