#include "views/CpuForm.h"

#include "shell/base/Translate.h"

namespace tv {
namespace {

constexpr int kWidth = 373;
constexpr int kHeight = 219;
// The titles end before the display strips' right edge.
constexpr int kTitleWidth = 300;

} // namespace

TCpuForm::TCpuForm(lumo::TComponent* owner)
    : TSkinDialog(owner, "CpuForm", skinart::kCpuBk, kWidth, kHeight)
{
    SetPosition(lumo::TPosition::poScreenCenter);
    m_powerTitle = AddLabel("CpuPowerTitle", 57, 56, kTitleWidth, 16, 12, true, kTitleColor, false);
    m_energyTitle =
        AddLabel("CpuEnergySavingTitle", 58, 115, kTitleWidth, 16, 12, true, kTitleColor, false);
    m_energyTitle->SetCaption("Total CPU Energy Saving");
    m_exit = AddTextButton("ExitButton", skinart::kCpuExitButton, 243, 183, 115, 35, lumo::mrNone);
    // Not a modal window: these only hide it.
    CloseButton().SetModalResult(lumo::mrNone);
    CloseButton().OnClick = [this](lumo::TObject*) { Hide(); };
    m_exit->OnClick = [this](lumo::TObject*) { Hide(); };
    ApplyTexts(Translate);
    Shape();
}

void TCpuForm::ApplyTexts(const TextLookup& lookup)
{
    m_powerTitle->SetCaption(lookup("Current CPU Power"));
    m_energyTitle->SetCaption(lookup("Total CPU Energy Saved"));
    m_exit->SetText(lookup("Exit"));
}

void TCpuForm::DoShow()
{
    if (OnRefresh) {
        OnRefresh(this);
    }
    TSkinDialog::DoShow();
}

} // namespace tv
