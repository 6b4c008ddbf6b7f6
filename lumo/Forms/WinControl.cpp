#include "lumo/Forms/WinControl.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Exception.h"
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WindowClass.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace lumo {
namespace {

void RegisterControlClass(const char* name, WNDPROC procedure)
{
    WNDCLASSEXA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = name;
    RegisterWindowClass("TWinControl::RegisterWindowClass", windowClass);
}

bool IntersectsClip(const RECT& bounds, const RECT& clip)
{
    RECT common;
    return IntersectRect(&common, &bounds, &clip) != FALSE;
}

TMouseButton ButtonOf(UINT message)
{
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return TMouseButton::mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return TMouseButton::mbMiddle;
    default:
        return TMouseButton::mbLeft;
    }
}

} // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    MarkTreeDestroying();
    DestroyHandle();
    while (!m_controls.empty()) {
        // The child's destructor takes it off the list.
        delete m_controls.back();
    }
}

void TWinControl::BeforeDestruction()
{
    // The whole object still exists: the window's last messages reach it.
    DestroyHandle();
    MarkTreeDestroying();
}

void TWinControl::MarkTreeDestroying()
{
    MarkDestroying();
    for (TControl* control : m_controls) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            windowed->MarkTreeDestroying();
        }
    }
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) ||
        process != GetCurrentProcessId()) {
        return nullptr;
    }
    if (GetClassLongPtrA(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&StaticWndProc)) {
        return nullptr;
    }
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, 0));
}

HWND TWinControl::Handle()
{
    if (!m_handle) {
        CreateHandle();
    }
    return m_handle;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (m_visible) {
        params.Style |= WS_VISIBLE;
    }
    if (!m_enabled) {
        params.Style |= WS_DISABLED;
    }
    if (m_tabStop) {
        params.Style |= WS_TABSTOP;
    }
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() ? Parent()->m_handle : nullptr;
}

void TWinControl::CreateHandle()
{
    if (m_handle) {
        return;
    }
    if (Parent() && !Parent()->HandleAllocated()) {
        // Creating the parent creates its children, this one included.
        Parent()->CreateHandle();
        if (m_handle) {
            return;
        }
    }
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent) {
        throw EInvalidOperation(std::string("Control '") + Name() + "' has no parent window");
    }
    RegisterControlClass(ClassName(), &StaticWndProc);
    HWND window = CreateWindowExA(params.ExStyle, ClassName(), params.Caption.c_str(), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent,
                                  nullptr, GetModuleHandleA(nullptr), this);
    if (!window) {
        TraceLog("[TWinControl::CreateHandle] CreateWindowEx %s failed! GetLastError returned %lu",
                 ClassName(), GetLastError());
        throw EOutOfResources(std::string("Error creating window of class ") + ClassName());
    }
    UpdateBoundsFromWindow();
    for (TControl* control : m_controls) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            windowed->CreateHandle();
            // Later controls lie on top of earlier ones.
            SetWindowPos(windowed->m_handle, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    CreateWnd();
}

void TWinControl::DestroyHandle()
{
    if (m_handle) {
        HWND window = m_handle;
        DestroyWindow(window);
        // WM_NCDESTROY has cleared m_handle (and the children's handles).
        m_handle = nullptr;
    }
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        control = static_cast<TWinControl*>(create->lpCreateParams);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(control));
        control->m_handle = window;
    } else {
        control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, 0));
    }
    if (!control) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    TMessage msg = {window, message, wParam, lParam, 0};
    if (message == WM_NCDESTROY) {
        // Nothing of the object is reached through this window from now on.
        SetWindowLongPtrA(window, 0, 0);
        control->m_handle = nullptr;
        control->m_mouseControl = nullptr;
        control->m_captureControl = nullptr;
        control->m_trackingLeave = false;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (control->IsDestroying()) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        control->WndProc(msg);
    } catch (const Exception& e) {
        HandleFrameworkException(e);
    }
    return msg.Result;
}

void TWinControl::DefaultHandler(TMessage& message)
{
    message.Result = DefWindowProcA(message.Window, message.Msg, message.WParam, message.LParam);
}

LRESULT TWinControl::Perform(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(Handle(), message, wParam, lParam);
}

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        // The background is painted with the rest, off screen, in WM_PAINT.
        message.Result = 1;
        return;
    case WM_PAINT:
        PaintHandler();
        message.Result = 0;
        return;
    case WM_PRINTCLIENT:
        PaintWindow(reinterpret_cast<HDC>(message.WParam), ClientRect());
        message.Result = 0;
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
        HandleMouse(message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(message.WParam);
        KeyDown(key, KeyboardShiftState());
        if (key == 0) {
            message.Result = 0;
            return;
        }
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(message.WParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0) {
            message.Result = 0;
            return;
        }
        break;
    }
    case WM_CHAR: {
        char key = static_cast<char>(message.WParam);
        KeyPress(key);
        if (key == 0) {
            message.Result = 0;
            return;
        }
        break;
    }
    case WM_SETFOCUS:
        if (TForm* form = ParentForm()) {
            if (form != this) {
                form->m_activeControl = this;
            }
        }
        DoEnter();
        break;
    case WM_KILLFOCUS:
        DoExit();
        break;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(message);
        UpdateBoundsFromWindow();
        return;
    default:
        break;
    }
    DefaultHandler(message);
}

void TWinControl::HandleMouse(TMessage& message)
{
    POINT point = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TShiftState shift = MouseShiftState(message.WParam);
    message.Result = 0;
    switch (message.Msg) {
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        UpdateMouseControl(point, false);
        return;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(message.LParam) != m_handle) {
            if (m_captureControl) {
                m_captureControl->CancelClick();
                m_captureControl = nullptr;
            }
            CancelClick();
        }
        return;
    case WM_MOUSEMOVE: {
        RECT client = ClientRect();
        UpdateMouseControl(point, PtInRect(&client, point) != FALSE);
        TControl* target = m_captureControl ? m_captureControl : MouseTarget(point);
        target->DispatchMouseMove(shift, point.x - (target == this ? 0 : target->Left()),
                                  point.y - (target == this ? 0 : target->Top()));
        return;
    }
    default:
        break;
    }
    TMouseButton button = ButtonOf(message.Msg);
    bool down = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN ||
                message.Msg == WM_MBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK ||
                message.Msg == WM_RBUTTONDBLCLK || message.Msg == WM_MBUTTONDBLCLK;
    bool isDoubleMessage = message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
                           message.Msg == WM_MBUTTONDBLCLK;
    TControl* target = m_captureControl ? m_captureControl : MouseTarget(point);
    int x = point.x - (target == this ? 0 : target->Left());
    int y = point.y - (target == this ? 0 : target->Top());
    if (down) {
        if (target != this) {
            m_captureControl = target;
        }
        if (GetCapture() != m_handle) {
            SetCapture(m_handle);
        }
        target->DispatchMouseDown(button, shift, x, y, isDoubleMessage && target->DoubleClicks());
        return;
    }
    target->DispatchMouseUp(button, shift, x, y);
    if (!(message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        m_captureControl = nullptr;
        if (m_handle && GetCapture() == m_handle) {
            ReleaseCapture();
        }
    }
}

TControl* TWinControl::MouseTarget(POINT point) const
{
    TControl* control = ControlAtPos(point);
    return control ? control : const_cast<TWinControl*>(this);
}

void TWinControl::UpdateMouseControl(POINT point, bool inside)
{
    TControl* hover = inside ? MouseTarget(point) : nullptr;
    if (hover == m_mouseControl) {
        return;
    }
    TControl* previous = m_mouseControl;
    m_mouseControl = hover;
    if (previous) {
        previous->DispatchMouseLeave();
    }
    if (hover && m_mouseControl == hover) {
        hover->DispatchMouseEnter();
    }
    if (m_mouseControl && !m_trackingLeave && m_handle) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_handle;
        m_trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* control = *it;
        if (control->IsWindowed() || !control->Visible() ||
            (!control->Enabled() && !allowDisabled)) {
            continue;
        }
        RECT bounds = control->BoundsRect();
        if (PtInRect(&bounds, point) &&
            control->HitTest(point.x - control->Left(), point.y - control->Top())) {
            return control;
        }
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl* control)
{
    // Graphic controls stay below the windowed ones, which the system paints on top anyway.
    m_controls.push_back(control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        m_tabList.push_back(windowed);
        if (m_handle && !windowed->m_handle) {
            windowed->CreateHandle();
        } else if (m_handle && windowed->m_handle) {
            ::SetParent(windowed->m_handle, m_handle);
            SetWindowPos(windowed->m_handle, HWND_TOP, windowed->Left(), windowed->Top(), 0, 0,
                         SWP_NOSIZE | SWP_NOACTIVATE);
        }
    } else {
        control->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control)
{
    if (m_mouseControl == control) {
        m_mouseControl = nullptr;
    }
    if (m_captureControl == control) {
        m_captureControl = nullptr;
        if (m_handle && GetCapture() == m_handle) {
            ReleaseCapture();
        }
    }
    if (!control->IsWindowed()) {
        control->Invalidate();
    }
    if (TForm* form = ParentForm()) {
        form->ForgetControl(control);
    }
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it != m_controls.end()) {
        m_controls.erase(it);
    }
    auto tab = std::find(m_tabList.begin(), m_tabList.end(), control);
    if (tab != m_tabList.end()) {
        m_tabList.erase(tab);
    }
}

void TWinControl::MoveControl(TControl* control, bool toFront)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end()) {
        return;
    }
    m_controls.erase(it);
    if (toFront) {
        m_controls.push_back(control);
    } else {
        m_controls.insert(m_controls.begin(), control);
    }
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (windowed->m_handle) {
            SetWindowPos(windowed->m_handle, toFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    } else {
        control->Invalidate();
    }
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == Parent()) {
        return;
    }
    if (m_handle && !(parent && parent->m_handle)) {
        DestroyHandle();
    }
    TControl::SetParent(parent);
}

RECT TWinControl::WindowBounds() const
{
    RECT rect;
    GetWindowRect(m_handle, &rect);
    HWND parent = GetParent(m_handle);
    if (parent && (GetWindowLongA(m_handle, GWL_STYLE) & WS_CHILD)) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

void TWinControl::UpdateBoundsFromWindow()
{
    if (!m_handle || IsIconic(m_handle)) {
        return;
    }
    RECT rect = WindowBounds();
    StoreBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (m_handle) {
        SetWindowPos(m_handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBoundsFromWindow();
    } else {
        StoreBounds(left, top, width, height);
    }
}

int TWinControl::ClientWidth() const
{
    if (m_handle) {
        RECT client;
        GetClientRect(m_handle, &client);
        return client.right;
    }
    return Width();
}

int TWinControl::ClientHeight() const
{
    if (m_handle) {
        RECT client;
        GetClientRect(m_handle, &client);
        return client.bottom;
    }
    return Height();
}

POINT TWinControl::ClientToScreen(POINT point) const
{
    if (m_handle) {
        ::ClientToScreen(m_handle, &point);
        return point;
    }
    return TControl::ClientToScreen(point);
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    if (m_handle) {
        ShowWindow(m_handle, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    if (m_handle) {
        EnableWindow(m_handle, enabled);
    }
    Invalidate();
}

void TWinControl::SetCaption(const std::string& caption)
{
    if (caption == Caption()) {
        return;
    }
    TControl::SetCaption(caption);
    if (m_handle) {
        SetWindowTextA(m_handle, caption.c_str());
    }
}

void TWinControl::FontChanged()
{
    for (TControl* control : m_controls) {
        control->ParentFontChanged();
    }
    Invalidate();
}

void TWinControl::Invalidate()
{
    if (m_handle) {
        ::InvalidateRect(m_handle, nullptr, FALSE);
    }
}

void TWinControl::InvalidateRect(const RECT& rect)
{
    if (m_handle) {
        ::InvalidateRect(m_handle, &rect, FALSE);
    }
}

void TWinControl::Repaint()
{
    if (m_handle) {
        RedrawWindow(m_handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_NOERASE);
    }
}

void TWinControl::SetTabStop(bool tabStop)
{
    if (tabStop == m_tabStop) {
        return;
    }
    m_tabStop = tabStop;
    if (m_handle) {
        LONG style = GetWindowLongA(m_handle, GWL_STYLE);
        SetWindowLongA(m_handle, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

int TWinControl::TabOrder() const
{
    if (!Parent()) {
        return -1;
    }
    const auto& list = Parent()->m_tabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!Parent()) {
        return;
    }
    auto& list = Parent()->m_tabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) {
        return;
    }
    list.erase(it);
    order = std::max(0, std::min(order, static_cast<int>(list.size())));
    list.insert(list.begin() + order, this);
}

bool TWinControl::Focused() const
{
    return m_handle && GetFocus() == m_handle;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* control = this; control; control = control->Parent()) {
        if (!control->Visible() || !control->Enabled()) {
            return false;
        }
    }
    return true;
}

void TWinControl::SetFocus()
{
    TForm* form = ParentForm();
    if (form && form != this) {
        form->m_activeControl = this;
    }
    if (CanFocus() && (!form || form->Showing())) {
        ::SetFocus(Handle());
    }
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
    }
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp) {
        OnKeyUp(this, key, shift);
    }
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress) {
        OnKeyPress(this, key);
    }
}

void TWinControl::DoEnter()
{
    if (OnEnter) {
        OnEnter(this);
    }
}

void TWinControl::DoExit()
{
    if (OnExit) {
        OnExit(this);
    }
}

void TWinControl::PaintHandler()
{
    PaintDC paint(m_handle);
    HDC dc = paint.Get();
    if (!dc) {
        return;
    }
    RECT area = paint.Area();
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        // Off screen first, so that layers painted in z-order never flicker.
        MemoryDC buffer(dc);
        BitmapHandle bitmap(CreateCompatibleBitmap(dc, width, height));
        if (buffer && bitmap) {
            SelectedObject selected(buffer.Get(), bitmap.Get());
            SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
            PaintWindow(buffer.Get(), area);
            SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
            BitBlt(dc, area.left, area.top, width, height, buffer.Get(), 0, 0, SRCCOPY);
        } else {
            PaintWindow(dc, area);
        }
    }
}

void TWinControl::PaintWindow(HDC dc, const RECT& clip)
{
    if (!Opaque()) {
        BrushHandle background(CreateSolidBrush(ColorToRGB(Color())));
        RECT client = ClientRect();
        FillRect(dc, &client, background.Get());
    }
    {
        SavedDC saved(dc);
        TCanvas canvas(dc);
        canvas.Font().Assign(Font());
        canvas.Brush().SetColor(Color());
        Paint(canvas);
    }
    PaintControls(dc, clip);
}

void TWinControl::PaintControls(HDC dc, const RECT& clip)
{
    for (TControl* control : m_controls) {
        if (control->IsWindowed() || !control->Visible() || control->Width() <= 0 ||
            control->Height() <= 0 || !IntersectsClip(control->BoundsRect(), clip)) {
            continue;
        }
        SavedDC saved(dc);
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + control->Left(), origin.y + control->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
        TCanvas canvas(dc);
        canvas.Font().Assign(control->Font());
        canvas.Brush().SetColor(control->Color());
        control->Paint(canvas);
    }
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    SavedDC saved(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + x, origin.y + y, nullptr);
    RECT client = ClientRect();
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    PaintWindow(dc, client);
    for (TControl* control : m_controls) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (!windowed || !windowed->Visible()) {
            continue;
        }
        SavedDC childSaved(dc);
        if (windowed->m_handle) {
            // A shaped child shows only inside its window region.
            RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
            if (GetWindowRgn(windowed->m_handle, shape.Get()) != ERROR) {
                POINT childOrigin;
                GetViewportOrgEx(dc, &childOrigin);
                OffsetRgn(shape.Get(), childOrigin.x + windowed->Left(),
                          childOrigin.y + windowed->Top());
                ExtSelectClipRgn(dc, shape.Get(), RGN_AND);
            }
        }
        windowed->PaintTo(dc, windowed->Left(), windowed->Top());
    }
}

} // namespace lumo
