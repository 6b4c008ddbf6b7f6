#include "views/SkinComboBox.h"

#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/System/Source/TraceLog.h"

using namespace lumo;

namespace tv {
namespace {

// The drop-down whose panel is open (GUI thread only), and the thread's hooks that close it.
SkinComboBox* g_openOne = nullptr;
HHOOK g_mouseHook = nullptr;
HHOOK g_callHook = nullptr;
int g_liveCount = 0;

bool IsPress(WPARAM message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool IsWithin(HWND window, HWND container)
{
    return window && container && (window == container || IsChild(container, window));
}

} // namespace

// ---- the hooks ---------------------------------------------------------------------------------

// A press of a mouse button anywhere in this thread's windows but on the open drop-down.
LRESULT CALLBACK SkinComboBox::MouseHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_openOne && IsPress(wParam)) {
        const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        if (!g_openOne->OwnsPress(info->hwnd, info->pt)) {
            g_openOne->HidePanel(true);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The application, or the drop-down's own window, losing the activation. The focus is left
// alone: moving it now would activate the window again.
LRESULT CALLBACK SkinComboBox::CallHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_openOne) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        bool appLost = call->message == WM_ACTIVATEAPP && call->wParam == FALSE;
        bool formLost = false;
        if (call->message == WM_ACTIVATE && LOWORD(call->wParam) == WA_INACTIVE) {
            TForm* form = g_openOne->m_parent.ParentForm();
            formLost = form && form->HandleAllocated() && call->hwnd == form->Handle();
        }
        if (appLost || formLost) {
            g_openOne->HidePanel(false);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void SkinComboBox::InstallHooks()
{
    if (!g_mouseHook) {
        g_mouseHook =
            SetWindowsHookExA(WH_MOUSE, &SkinComboBox::MouseHook, nullptr, GetCurrentThreadId());
        if (!g_mouseHook) {
            TraceLog("[SkinComboBox] mouse hook failed! GetLastError returned %lu", GetLastError());
        }
    }
    if (!g_callHook) {
        g_callHook = SetWindowsHookExA(WH_CALLWNDPROC, &SkinComboBox::CallHook, nullptr,
                                       GetCurrentThreadId());
        if (!g_callHook) {
            TraceLog("[SkinComboBox] message hook failed! GetLastError returned %lu",
                     GetLastError());
        }
    }
}

void SkinComboBox::RemoveHooks()
{
    if (g_mouseHook) {
        UnhookWindowsHookEx(g_mouseHook);
        g_mouseHook = nullptr;
    }
    if (g_callHook) {
        UnhookWindowsHookEx(g_callHook);
        g_callHook = nullptr;
    }
}

SkinComboBox* SkinComboBox::OpenOne()
{
    return g_openOne;
}

// ---- the drop-down -----------------------------------------------------------------------------

SkinComboBox::SkinComboBox(TComponent* owner, TWinControl& parent, const SkinComboBoxParts& parts)
    : TComponent(owner), m_parent(parent), m_textOverride(clNone)
{
    ++g_liveCount;
    m_caption = new TLabel(this);
    m_caption->SetParent(&parent);
    m_caption->SetTransparent(true);
    m_caption->SetShowAccelChar(false);
    m_caption->SetParentFont(false);
    combo::SetFont(m_caption->Font(), combo::kFontHeight, kCaptionColor);

    m_value = new TComboValuePanel(this, parts.field);
    m_value->SetParent(&parent);
    m_value->OnClick = [this](TObject*) {
        if (m_enabled) {
            TogglePanel();
        }
    };

    m_arrow = new KdButton(this);
    m_arrow->SetParent(&parent);
    for (int state = 0; state < 4; ++state) {
        if (parts.arrow[state] && !parts.arrow[state]->Empty()) {
            m_arrow->SetStateBitmap(state, parts.arrow[state]);
        }
    }
    m_arrow->SetTabStop(true);
    m_arrow->OnClick = [this](TObject*) { TogglePanel(); };
    m_arrow->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) {
        KeyDown(sender, key, shift);
    };

    m_panel = new TComboDropPanel(this, parts);
    m_panel->SetVisible(false);
    m_panel->SetParent(&parent);
    TListBox& list = m_panel->List();
    list.OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) {
        KeyDown(sender, key, shift);
    };
    // Where the focus went is known only after the change: the panel looks once it is done.
    list.OnExit = [this](TObject*) {
        if (m_panel->HandleAllocated()) {
            PostMessageA(m_panel->Handle(), TComboDropPanel::kFocusCheck, 0, 0);
        }
    };
    m_listProc = list.WindowProc;
    list.WindowProc = [this](TMessage& message) { ListMessage(message); };

    MoveTo(0, 0);
    UpdateText();
}

SkinComboBox::~SkinComboBox()
{
    if (g_openOne == this) {
        g_openOne = nullptr;
    }
    if (--g_liveCount == 0) {
        RemoveHooks();
    }
}

TListBox& SkinComboBox::List()
{
    return m_panel->List();
}

void SkinComboBox::SetCaption(const std::string& caption)
{
    m_caption->SetAutoSize(true);
    m_caption->SetCaption(caption);
    // Room for a last glyph that reaches past its advance.
    m_caption->SetAutoSize(false);
    m_caption->SetWidth(m_caption->Width() + 3);
}

std::string SkinComboBox::Caption() const
{
    return m_caption->Caption();
}

void SkinComboBox::MoveTo(int left, int top)
{
    m_left = left;
    m_top = top;
    m_caption->SetBounds(left, top, m_caption->Width(), m_caption->Height());
    const int fieldWidth = m_value->Width();
    m_value->SetBounds(left, top + kFieldTop, fieldWidth, m_value->Height());
    m_arrow->SetBounds(left + fieldWidth, top + kFieldTop, 0, 0);
    m_panel->SetBounds(left + kPanelLeft, top + kPanelTop, fieldWidth + kPanelExtraWidth,
                       kPanelHeight);
}

void SkinComboBox::SetVisible(bool visible)
{
    if (!visible) {
        HidePanel(true);
    }
    m_visible = visible;
    m_caption->SetVisible(visible);
    m_value->SetVisible(visible);
    m_arrow->SetVisible(visible);
}

void SkinComboBox::SetEnabled(bool enabled)
{
    if (!enabled) {
        HidePanel(true);
    }
    m_enabled = enabled;
    // The value panel stays enabled: a press on it does nothing while the drop-down is disabled
    // (and does not reach the background, which would drag the window).
    m_arrow->SetEnabled(enabled);
    UpdateText();
}

void SkinComboBox::SetTextColorOverride(TColor color)
{
    m_textOverride = color;
    UpdateText();
}

TColor SkinComboBox::TextColor() const
{
    if (m_textOverride != clNone) {
        return m_textOverride;
    }
    return m_enabled ? kTextColor : kDisabledTextColor;
}

void SkinComboBox::SetItems(const std::vector<std::string>& items)
{
    HidePanel(true);
    m_items = items;
    m_panel->List().SetItems(items);
    m_index = -1;
    UpdateText();
}

void SkinComboBox::SetItemIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        index = -1;
    }
    m_index = index;
    m_panel->List().SetItemIndex(index);
    UpdateText();
}

void SkinComboBox::UpdateText()
{
    m_text = m_index >= 0 ? m_items[static_cast<size_t>(m_index)] : std::string();
    m_value->SetText(m_text, TextColor());
}

bool SkinComboBox::DroppedDown() const
{
    return m_panel->Visible();
}

void SkinComboBox::OpenPanel()
{
    if (!m_enabled || !m_visible || DroppedDown()) {
        return;
    }
    if (g_openOne && g_openOne != this) {
        g_openOne->HidePanel(true);
    }
    InstallHooks();
    TListBox& list = m_panel->List();
    list.SetItemIndex(m_index);
    m_panel->BringToFront();
    m_panel->Show();
    g_openOne = this;
    TForm* form = m_parent.ParentForm();
    if (list.CanFocus() && form && form->Showing()) {
        list.SetFocus();
    }
}

void SkinComboBox::ClosePanel()
{
    HidePanel(true);
}

void SkinComboBox::HidePanel(bool refocus)
{
    if (g_openOne == this) {
        g_openOne = nullptr;
    }
    if (!DroppedDown()) {
        return;
    }
    TForm* form = m_parent.ParentForm();
    HWND focus = GetFocus();
    bool focusInside = m_panel->HandleAllocated() && IsWithin(focus, m_panel->Handle());
    if (refocus && focusInside) {
        // Before hiding, so the focus never rests on a hidden window.
        if (m_arrow->CanFocus()) {
            m_arrow->SetFocus();
        } else if (form && form->HandleAllocated()) {
            ::SetFocus(form->Handle());
        }
    }
    m_panel->Hide();
    if (form && form->ActiveControl() == &m_panel->List()) {
        // Not focused now: only remembered for the next activation of the form.
        form->SetActiveControl(nullptr);
    }
}

void SkinComboBox::FocusLeft()
{
    HWND focus = GetFocus();
    if (m_panel->HandleAllocated() && IsWithin(focus, m_panel->Handle())) {
        return;
    }
    // A press on the arrow toggles the panel itself.
    if (m_arrow->HandleAllocated() && focus == m_arrow->Handle()) {
        return;
    }
    HidePanel(false);
}

void SkinComboBox::TogglePanel()
{
    if (DroppedDown()) {
        HidePanel(true);
    } else {
        OpenPanel();
    }
}

void SkinComboBox::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        return;
    }
    SetItemIndex(index);
    HidePanel(true);
    if (OnChange) {
        OnChange(this);
    }
}

bool SkinComboBox::OwnsPress(HWND window, POINT screen)
{
    if (m_panel->HandleAllocated() && IsWithin(window, m_panel->Handle())) {
        return true;
    }
    // The arrow and the value panel toggle the panel themselves.
    if (m_arrow->HandleAllocated() && IsWithin(window, m_arrow->Handle())) {
        return true;
    }
    if (m_value->Visible() && m_parent.HandleAllocated() && window == m_parent.Handle()) {
        POINT point = m_parent.ScreenToClient(screen);
        RECT bounds = m_value->BoundsRect();
        return PtInRect(&bounds, point) != FALSE;
    }
    return false;
}

void SkinComboBox::KeyDown(TObject* sender, WORD& key, TShiftState shift)
{
    const bool alt = (shift & ssAlt) != 0;
    const bool open = DroppedDown();
    TListBox& list = m_panel->List();
    switch (key) {
    case VK_F4:
        if (alt) {
            break; // closes the window
        }
        [[fallthrough]];
    case VK_DOWN:
    case VK_UP:
        if (!open) {
            OpenPanel();
            key = 0;
            return;
        }
        if (alt || key == VK_F4) {
            Choose(list.ItemIndex());
            key = 0;
            return;
        }
        // The list moves its highlight.
        return;
    case VK_RETURN:
        if (open && sender == &list) {
            Choose(list.ItemIndex());
            key = 0;
            return;
        }
        break;
    case VK_ESCAPE:
        if (open) {
            HidePanel(true);
            key = 0;
            return;
        }
        break;
    default:
        break;
    }
    if (open && sender == &list) {
        // Other keys serve the list (type-ahead, paging).
        return;
    }
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
    }
}

void SkinComboBox::ListMessage(TMessage& message)
{
    m_listProc(message);
    if (!DroppedDown()) {
        return;
    }
    if (message.Msg != WM_MOUSEMOVE && message.Msg != WM_LBUTTONUP) {
        return;
    }
    LRESULT hit = SendMessageA(message.Window, LB_ITEMFROMPOINT, 0, message.LParam);
    if (HIWORD(hit) != 0) {
        return; // outside the items
    }
    int index = LOWORD(hit);
    if (message.Msg == WM_LBUTTONUP) {
        Choose(index);
    } else if (!(message.WParam & MK_LBUTTON) && index != m_panel->List().ItemIndex()) {
        // The item under the pointer is highlighted, as in a Windows drop-down list.
        m_panel->List().SetItemIndex(index);
    }
}

} // namespace tv
