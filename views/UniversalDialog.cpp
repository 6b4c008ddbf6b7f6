#include "views/UniversalDialog.h"

namespace tv {
namespace {

constexpr int kWidth = 421;
constexpr int kHeight = 142;
constexpr RECT kMessageDesign = {38, 43, 38 + 353, 43 + 58};
// The light body between the title bar and the footer's rule.
constexpr RECT kMessageArea = {38, 33, 38 + 353, 97};
constexpr int kMessageFont = 12;
// Smaller than this and the message stops being comfortable to read.
constexpr int kMessageMinFont = 10;

} // namespace

TUniversalDialog::TUniversalDialog(lumo::TComponent* owner)
    : TSkinDialog(owner, "UniversalDialog", skinart::kUniversalBk, kWidth, kHeight)
{
    SetPosition(lumo::TPosition::poScreenCenter);
    m_message = AddLabel("Message", kMessageDesign.left, kMessageDesign.top,
                         kMessageDesign.right - kMessageDesign.left,
                         kMessageDesign.bottom - kMessageDesign.top, kMessageFont, true,
                         static_cast<lumo::TColor>(skinart::kDialogText), true);
    m_left = AddTextButton("LeftButton", skinart::kDialogButton, 146, 104, 130, 34, lumo::mrOk);
    m_right =
        AddTextButton("RightButton", skinart::kDialogButton, 277, 104, 130, 34, lumo::mrCancel);
    SetMessage("Close unnecessary programs before calibration.");
    m_left->SetText("Run Calibration");
    m_right->SetText("Exit");
    Shape();
}

void TUniversalDialog::SetMessage(const std::string& text)
{
    m_message->SetCaption(text);
    FitLabel(*m_message, kMessageDesign, kMessageArea, kMessageFont, kMessageMinFont);
}

void TUniversalDialog::SetLeftButton(bool visible, const std::string& caption)
{
    m_left->SetText(caption);
    m_left->SetVisible(visible);
}

void TUniversalDialog::SetRightCaption(const std::string& caption)
{
    m_right->SetText(caption);
}

KdButton* TUniversalDialog::DefaultButton()
{
    return m_left->Visible() ? static_cast<KdButton*>(m_left) : m_right;
}

} // namespace tv
