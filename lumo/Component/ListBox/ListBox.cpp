#include "lumo/Component/ListBox/ListBox.h"

#include "lumo/Forms/Application.h"
#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/TraceLog.h"

#include <algorithm>

namespace lumo {
namespace {

// The window property that leads from the list window to its control.
const char* const kControlProperty = "lumo.TListBox";
constexpr int kListId = 1;

} // namespace

TListBox::TListBox(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 120, 96);
    SetTabStop(true);
    // The list window covers the whole client area.
    SetOpaque(true);
    SetColor(clWindow);
    WindowProc = [this](TMessage& message) { ListWndProc(message); };
}

TListBox::~TListBox()
{
    if (OnDestroy) {
        OnDestroy(this);
    }
    // The list window goes first, while every part of this object still exists.
    DestroyList();
}

void TListBox::SetStyle(TListBoxStyle style)
{
    if (style != m_style) {
        m_style = style;
        RecreateList();
    }
}

void TListBox::SetBorder(bool border)
{
    if (border != m_border) {
        m_border = border;
        RecreateList();
    }
}

void TListBox::CreateWnd()
{
    CreateList();
}

void TListBox::CreateList()
{
    if (m_list || !m_handle) {
        return;
    }
    DWORD style =
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    if (m_style == TListBoxStyle::lbOwnerDrawFixed) {
        style |= LBS_OWNERDRAWFIXED;
    } else if (m_style == TListBoxStyle::lbOwnerDrawVariable) {
        style |= LBS_OWNERDRAWVARIABLE;
    }
    if (!Enabled()) {
        style |= WS_DISABLED;
    }
    RECT client;
    GetClientRect(m_handle, &client);
    HWND list = CreateWindowExA(m_border ? WS_EX_CLIENTEDGE : 0, "LISTBOX", "", style, 0, 0,
                                client.right, client.bottom, m_handle,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                GetModuleHandleA(nullptr), nullptr);
    if (!list) {
        TraceLog("[TListBox::CreateList] CreateWindowEx failed! GetLastError returned %lu",
                 GetLastError());
        throw EOutOfResources("Error creating window of class LISTBOX");
    }
    SetPropA(list, kControlProperty, this);
    m_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TListBox::ListProc)));
    m_list = list;
    UpdateBrush();
    SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    for (const std::string& item : m_items) {
        SendMessageA(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    MeasureItems();
    SendMessageA(m_list, LB_SETCURSEL, static_cast<WPARAM>(m_itemIndex), 0);
}

void TListBox::DestroyList()
{
    if (m_list) {
        m_itemIndex = ItemIndex();
        // WM_NCDESTROY gives the window its own procedure back and clears m_list.
        DestroyWindow(m_list);
        m_list = nullptr;
    }
}

void TListBox::RecreateList()
{
    if (!m_list) {
        return;
    }
    bool focused = GetFocus() == m_list;
    int top = TopIndex();
    DestroyList();
    CreateList();
    if (m_list) {
        SendMessageA(m_list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
        if (focused) {
            ::SetFocus(m_list);
        }
    }
}

LRESULT CALLBACK TListBox::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = static_cast<TListBox*>(GetPropA(window, kControlProperty));
    if (!control) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    WNDPROC original = control->m_listProc;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(window, kControlProperty);
        if (control->m_list == window) {
            control->m_list = nullptr;
        }
        return CallWindowProcA(original, window, message, wParam, lParam);
    }
    TMessage msg = {window, message, wParam, lParam, 0};
    try {
        if (control->WindowProc && !control->IsDestroying()) {
            control->WindowProc(msg);
        } else {
            control->ListDefaultHandler(msg);
        }
    } catch (const Exception& e) {
        HandleFrameworkException(e);
    }
    return msg.Result;
}

void TListBox::ListWndProc(TMessage& message)
{
    // The focus passes between the control's window and the list window without an exit.
    switch (message.Msg) {
    case WM_SETFOCUS:
        if (reinterpret_cast<HWND>(message.WParam) != m_handle) {
            DoEnter();
        }
        break;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(message.WParam) != m_handle) {
            DoExit();
        }
        break;
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
    default:
        break;
    }
    ListDefaultHandler(message);
}

void TListBox::ListDefaultHandler(TMessage& message)
{
    message.Result =
        CallWindowProcA(m_listProc, message.Window, message.Msg, message.WParam, message.LParam);
}

void TListBox::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        if (item->CtlType == ODT_LISTBOX && item->CtlID == kListId) {
            DrawItemMessage(*item);
            message.Result = TRUE;
            return;
        }
        break;
    }
    case WM_MEASUREITEM: {
        // Also arrives while the list window is being made, before m_list is set.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        if (item->CtlType == ODT_LISTBOX && item->CtlID == kListId) {
            item->itemHeight = static_cast<UINT>(MeasureItem(static_cast<int>(item->itemID)));
            message.Result = TRUE;
            return;
        }
        break;
    }
    case WM_COMMAND:
        if (m_list && reinterpret_cast<HWND>(message.LParam) == m_list) {
            if (HIWORD(message.WParam) == LBN_SELCHANGE) {
                m_itemIndex = ItemIndex();
                Click();
            } else if (HIWORD(message.WParam) == LBN_DBLCLK) {
                DblClick();
            }
            message.Result = 0;
            return;
        }
        break;
    case WM_CTLCOLORLISTBOX:
        if (m_list && reinterpret_cast<HWND>(message.LParam) == m_list) {
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            SetTextColor(dc, ColorToRGB(Font().Color()));
            SetBkColor(dc, ColorToRGB(Color()));
            message.Result = reinterpret_cast<LRESULT>(m_brush.Get());
            return;
        }
        break;
    case WM_SETFOCUS:
        // The form remembers this control as its active one; the list window takes the focus.
        TWinControl::WndProc(message);
        if (m_list) {
            ::SetFocus(m_list);
        }
        return;
    case WM_KILLFOCUS:
        if (m_list && reinterpret_cast<HWND>(message.WParam) == m_list) {
            message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

void TListBox::DrawItemMessage(const DRAWITEMSTRUCT& item)
{
    int index = static_cast<int>(item.itemID);
    if (index < 0 || index >= Count()) {
        // An empty list only shows where the focus is.
        return;
    }
    SavedDC saved(item.hDC);
    TCanvas canvas(item.hDC);
    canvas.Font().Assign(Font());
    canvas.Brush().SetColor(Color());
    UINT state = item.itemState;
    if (!Enabled()) {
        state |= ODS_DISABLED;
    }
    if (OnDrawItem) {
        OnDrawItem(this, canvas, index, item.rcItem, state);
    } else {
        DrawItem(canvas, index, item.rcItem, state);
    }
}

void TListBox::DrawItem(TCanvas& canvas, int index, const RECT& rect, UINT state)
{
    bool selected = (state & ODS_SELECTED) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : Color());
    canvas.FillRect(rect);
    if (state & (ODS_DISABLED | ODS_GRAYED)) {
        canvas.Font().SetColor(clGrayText);
    } else if (selected) {
        canvas.Font().SetColor(clHighlightText);
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    RECT text = rect;
    text.left += 2;
    canvas.DrawText(Item(index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    if (state & ODS_FOCUS) {
        DrawFocusRect(canvas.Handle(), &rect);
    }
}

int TListBox::MeasureItem(int index)
{
    int height = m_itemHeight;
    if (OnMeasureItem) {
        OnMeasureItem(this, index, height);
    }
    // The list window keeps item heights in a byte.
    return std::max(1, std::min(height, 255));
}

void TListBox::MeasureItems()
{
    if (!m_list) {
        return;
    }
    if (m_style == TListBoxStyle::lbOwnerDrawFixed) {
        SendMessageA(m_list, LB_SETITEMHEIGHT, 0, MeasureItem(0));
    } else if (m_style == TListBoxStyle::lbOwnerDrawVariable) {
        for (int i = 0; i < Count(); ++i) {
            SendMessageA(m_list, LB_SETITEMHEIGHT, static_cast<WPARAM>(i), MeasureItem(i));
        }
    }
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void TListBox::AddItem(const std::string& text)
{
    // The item exists before the list window asks for its height.
    m_items.push_back(text);
    if (m_list) {
        SendMessageA(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TListBox::SetItems(const std::vector<std::string>& items)
{
    ClearItems();
    for (const std::string& item : items) {
        AddItem(item);
    }
}

void TListBox::ClearItems()
{
    m_items.clear();
    m_itemIndex = -1;
    if (m_list) {
        SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
    }
}

int TListBox::ItemIndex() const
{
    if (m_list) {
        return static_cast<int>(SendMessageA(m_list, LB_GETCURSEL, 0, 0));
    }
    return m_itemIndex;
}

void TListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= Count()) {
        index = -1;
    }
    m_itemIndex = index;
    if (m_list) {
        SendMessageA(m_list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

int TListBox::TopIndex() const
{
    return m_list ? static_cast<int>(SendMessageA(m_list, LB_GETTOPINDEX, 0, 0)) : 0;
}

void TListBox::SetItemHeight(int height)
{
    m_itemHeight = std::max(1, std::min(height, 255));
    MeasureItems();
}

int TListBox::ItemHeightOf(int index) const
{
    if (!m_list) {
        return m_itemHeight;
    }
    return static_cast<int>(SendMessageA(m_list, LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
}

RECT TListBox::ItemRect(int index) const
{
    RECT rect = {0, 0, 0, 0};
    if (m_list && SendMessageA(m_list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(&rect)) == LB_ERR) {
        rect = RECT{0, 0, 0, 0};
    }
    return rect;
}

RECT TListBox::ListClientRect() const
{
    RECT rect = {0, 0, 0, 0};
    if (m_list) {
        GetClientRect(m_list, &rect);
    }
    return rect;
}

HWND TListBox::ListHandle()
{
    HandleNeeded();
    return m_list;
}

void TListBox::UpdateBrush()
{
    m_brush.Reset(CreateSolidBrush(ColorToRGB(Color())));
}

void TListBox::SetColor(TColor colour)
{
    TWinControl::SetColor(colour);
    if (m_list) {
        UpdateBrush();
        ::InvalidateRect(m_list, nullptr, TRUE);
    }
}

void TListBox::SetEnabled(bool enabled)
{
    TWinControl::SetEnabled(enabled);
    if (m_list) {
        EnableWindow(m_list, enabled);
    }
}

void TListBox::Invalidate()
{
    TWinControl::Invalidate();
    if (m_list) {
        ::InvalidateRect(m_list, nullptr, TRUE);
    }
}

void TListBox::Resize()
{
    TWinControl::Resize();
    if (m_list) {
        RECT client = ClientRect();
        MoveWindow(m_list, 0, 0, client.right, client.bottom, TRUE);
    }
}

void TListBox::FontChanged()
{
    TWinControl::FontChanged();
    if (m_list) {
        SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
        MeasureItems();
    }
}

void TListBox::PaintWindow(HDC dc, const RECT& clip)
{
    TWinControl::PaintWindow(dc, clip);
    // Rendering the control (PaintTo, WM_PRINTCLIENT) shows the list window too.
    // The window's own flag: the form may be hidden while it is rendered.
    if (m_list && (GetWindowLongA(m_list, GWL_STYLE) & WS_VISIBLE)) {
        SendMessageA(m_list, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                     PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    }
}

} // namespace lumo
