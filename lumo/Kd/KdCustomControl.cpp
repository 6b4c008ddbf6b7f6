#include "lumo/Kd/KdCustomControl.h"

using namespace lumo;

KdCustomControl::KdCustomControl(TComponent* owner, bool clicksDisabled, int stateCount)
    : KdControl(owner, clicksDisabled), m_led(std::make_unique<TBmpLEDCtrl>(*this, stateCount))
{
    m_ledHandler = m_led->Bitmap(0).OnChange;
    for (int i = 0; i < stateCount; ++i) {
        m_led->Bitmap(i).OnChange = [this](TObject* sender) { BitmapChanged(sender); };
    }
    SetStateBitmap(0, nullptr);
}

KdCustomControl::~KdCustomControl()
{
    // The window goes first, while every part it may still reach exists.
    MarkDestroying();
    DestroyHandle();
    for (int i = 0; i < m_led->StateCount(); ++i) {
        m_led->Bitmap(i).OnChange = nullptr;
    }
    m_led.reset();
}

void KdCustomControl::ShowBitmap(int state)
{
    m_requested = state;
    // Bounded, so that no Substitute can send this round in circles.
    for (int step = 0; state != 0 && step < StateCount(); ++step) {
        if (!GetStateBitmap(state).Empty()) {
            break;
        }
        state = Substitute(state);
    }
    if (state != 0 && GetStateBitmap(state).Empty()) {
        state = 0;
    }
    m_led->ShowState(state);
}

void KdCustomControl::SetStateBitmap(int state, const TBitmap* bitmap)
{
    TBitmap& target = GetStateBitmap(state);
    if (state == 0 && bitmap) {
        SetTransparentColor(bitmap->TransparentColor());
    }
    if (bitmap) {
        target.Assign(*bitmap);
    } else {
        target.Clear();
    }
}

void KdCustomControl::SetTransparent(bool transparent)
{
    if (transparent == Transparent()) {
        return;
    }
    m_led->Image().SetTransparent(transparent);
    UpdateRegion();
}

void KdCustomControl::SetTransparentColor(TColor color)
{
    m_led->SetTransparentColor(color);
    UpdateRegion();
}

bool KdCustomControl::HitTest(int x, int y) const
{
    return m_region.Contains(x, y);
}

void KdCustomControl::SetBounds(int left, int top, int width, int height)
{
    // The size of a control with a picture is the picture's.
    if (!GetStateBitmap(0).Empty()) {
        width = m_led->Width();
        height = m_led->Height();
    }
    KdControl::SetBounds(left, top, width, height);
}

void KdCustomControl::Repaint()
{
    m_led->Repaint();
    KdControl::Repaint();
}

void KdCustomControl::RebuildRegion()
{
    const TBitmap& face = GetStateBitmap(0);
    if (!Transparent()) {
        m_region.SetRect(0, 0, Width(), Height());
    } else if (face.Empty()) {
        m_region.SetEmpty();
    } else {
        m_region.BuildFromBitmap(face, TransparentColor());
    }
}

void KdCustomControl::UpdateRegion()
{
    RebuildRegion();
    if (!HandleAllocated()) {
        return;
    }
    if (!Transparent() || GetStateBitmap(0).Empty()) {
        SetWindowRgn(m_handle, nullptr, TRUE);
    } else {
        m_region.ApplyToWindow(m_handle, true);
    }
}

void KdCustomControl::CreateWnd()
{
    KdControl::CreateWnd();
    UpdateRegion();
}

void KdCustomControl::Resize()
{
    KdControl::Resize();
    if (!IsDestroying()) {
        UpdateRegion();
    }
}

void KdCustomControl::BitmapChanged(TObject* sender)
{
    int index = m_led->IndexOf(sender);
    if (index < 0) {
        return;
    }
    if (index != 0) {
        if (index == m_requested) {
            ShowBitmap(index);
        }
        if (m_ledHandler) {
            m_ledHandler(sender);
        }
        return;
    }
    const TBitmap& face = GetStateBitmap(0);
    m_led->SetSize(face.Width(), face.Height());
    m_led->Repaint();
    if (m_ledHandler) {
        m_ledHandler(sender);
    }
    if (!face.Empty()) {
        SetBounds(Left(), Top(), face.Width(), face.Height());
    }
    UpdateRegion();
}

void KdCustomControl::ReshowOnFallbackChange(TObject* sender)
{
    int index = m_led->IndexOf(sender);
    int fallback = Substitute(m_requested);
    if (index >= 0 && fallback != 0 && index == fallback) {
        ShowBitmap(m_requested);
    }
}

bool KdCustomControl::LoadStateBitmaps(int first, const std::string& folder,
                                       const std::vector<std::string>& names)
{
    std::string path = folder;
    if (path.empty() || (path.back() != '\\' && path.back() != ':')) {
        path += '\\';
    }
    std::vector<std::unique_ptr<TBitmap>> loaded;
    for (const std::string& name : names) {
        loaded.push_back(nullptr);
        if (!name.empty()) {
            loaded.back() = std::make_unique<TBitmap>();
            loaded.back()->LoadFromFile(path + name);
        }
    }
    for (size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i]) {
            SetStateBitmap(first + static_cast<int>(i), loaded[i].get());
        }
    }
    return true;
}

void KdCustomControl::WndProc(TMessage& message)
{
    if (message.Msg == WM_WINDOWPOSCHANGING && !GetStateBitmap(0).Empty()) {
        // Also a size set from outside the framework keeps the picture's size.
        auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
        if (!(position->flags & SWP_NOSIZE)) {
            position->cx = m_led->Width();
            position->cy = m_led->Height();
        }
    }
    KdControl::WndProc(message);
}
