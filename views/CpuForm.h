#pragma once
// CPU power details: the titles of the current CPU power and of the CPU energy saved. The energy
// panel places its figures on this window (Window(), the title labels and OnRefresh); Exit, the
// close button and Escape hide the window.
#include "views/SkinDialog.h"

namespace tv {

class TCpuForm : public TSkinDialog
{
public:
    LUMO_CLASS_NAME(TCpuForm)
    static constexpr lumo::TColor kTitleColor = 0xDBDAD8;

    explicit TCpuForm(lumo::TComponent* owner);

    void ApplyTexts(const TextLookup& lookup) override;

    lumo::TLabel& CpuPowerTitle() { return *m_powerTitle; }
    lumo::TLabel& CpuEnergySavingTitle() { return *m_energyTitle; }
    TDialogButton& ExitButton() { return *m_exit; }

    // Called on every show, before the window appears: the figures are brought up to date.
    lumo::TNotifyEvent OnRefresh;

    KdButton* DefaultButton() override { return m_exit; }

protected:
    void EscapePressed() override { Hide(); }
    void DoShow() override;

private:
    lumo::TLabel* m_powerTitle;
    lumo::TLabel* m_energyTitle;
    TDialogButton* m_exit;
};

} // namespace tv
