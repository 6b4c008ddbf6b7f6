#include "views/VgaForm.h"

#include "lumo/System/Source/TraceLog.h"
#include "shell/base/Translate.h"

#include <shellapi.h>
#include <cstring>

namespace tv {
namespace {

constexpr int kWidth = 566;
constexpr int kHeight = 219;
constexpr char kScheme[] = "http://";

// The address as the link shows it: without its scheme.
std::string ShownAddress(const char* address)
{
    const size_t scheme = std::strlen(kScheme);
    if (std::strncmp(address, kScheme, scheme) == 0) {
        return address + scheme;
    }
    return address;
}

} // namespace

TVgaForm::TVgaForm(lumo::TComponent* owner)
    : TSkinDialog(owner, "VgaForm", skinart::kVgaBk, kWidth, kHeight)
{
    SetPosition(lumo::TPosition::poDesktopCenter);
    m_text = AddLabel("Label1", 42, 53, 441, 62, 13, true,
                      static_cast<lumo::TColor>(skinart::kDialogText), true);
    m_link = AddLabel("Hyperlink", 42, 119, 0, 0, 15, true, kLinkColor, false);
    m_link->SetCaption(ShownAddress(kSupportPageAddress));
    SizeToText(*m_link);
    m_exit =
        AddTextButton("ExitButton", skinart::kVgaExitButton, 436, 183, 115, 35, lumo::mrCancel);
    OpenAddress = &TVgaForm::OpenWithShell;

    m_link->OnMouseMove = [this](lumo::TObject*, lumo::TShiftState, int, int) { SetHovered(true); };
    m_link->OnMouseLeave = [this](lumo::TObject*) { SetHovered(false); };
    m_link->OnClick = [this](lumo::TObject*) { FollowLink(); };
    const auto away = [this](lumo::TObject*, lumo::TShiftState, int, int) { SetHovered(false); };
    m_text->OnMouseMove = away;
    Background().OnMouseMove = away;

    ApplyTexts(Translate);
    Shape();
}

void TVgaForm::ApplyTexts(const TextLookup& lookup)
{
    m_text->SetCaption(lookup("VGAWindow"));
    m_exit->SetText(lookup("Exit"));
}

bool TVgaForm::OpenWithShell(const std::string& address)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        TraceLog("~~~[TVgaForm] ShellExecute %s failed! It returned %ld", address.c_str(),
                 static_cast<long>(result));
        return false;
    }
    return true;
}

void TVgaForm::SetHovered(bool hovered)
{
    if (hovered == m_hovered) {
        return;
    }
    m_hovered = hovered;
    m_link->Font().SetColor(hovered ? kLinkHoverColor : kLinkColor);
    m_link->Font().SetStyle(hovered ? lumo::fsBold | lumo::fsUnderline : lumo::fsBold);
}

void TVgaForm::FollowLink()
{
    if (OpenAddress) {
        OpenAddress(kSupportPageAddress);
    }
    SetModalResult(lumo::mrOk);
    if (!IsModal()) {
        Hide();
    }
}

void TVgaForm::DoShow()
{
    m_hovered = true;
    SetHovered(false);
    TSkinDialog::DoShow();
}

void TVgaForm::WndProc(lumo::TMessage& message)
{
    if (message.Msg == WM_SETCURSOR && LOWORD(message.LParam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        point = ScreenToClient(point);
        const RECT link = m_link->BoundsRect();
        if (m_link->Visible() && PtInRect(&link, point)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            message.Result = TRUE;
            return;
        }
    }
    TSkinDialog::WndProc(message);
}

} // namespace tv
