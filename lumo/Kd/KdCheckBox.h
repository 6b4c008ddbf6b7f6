#pragma once
// The skinned check box: twelve pictures, four per check state (unchecked 0-3, checked 4-7,
// grayed 8-11); a missing one falls back to its check state's raised picture, then to the
// unchecked raised one.
#include "lumo/Kd/KdAppearance.h"
#include "lumo/Kd/KdCustomControl.h"

namespace lumo {

enum class TCheckBoxState
{
    cbUnchecked,
    cbChecked,
    cbGrayed
};

} // namespace lumo

class KdCheckBox : public KdCustomControl
{
public:
    LUMO_CLASS_NAME(KdCheckBox)
    explicit KdCheckBox(lumo::TComponent* owner);

    KdChkBoxAppearance& Appearance() { return m_appearance; }
    lumo::TCheckBoxState State() const { return m_state; }
    // Redraws the requested visual with the new check state.
    void SetState(lumo::TCheckBoxState state);
    // A click goes unchecked, grayed, checked when set; unchecked, checked otherwise.
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool allow) { m_allowGrayed = allow; }
    bool GetChecked() const override { return m_state == lumo::TCheckBoxState::cbChecked; }
    void SetChecked(bool checked) override;

    bool LoadChecked(const std::string& folder, const std::string& raised,
                     const std::string& sunken, const std::string& focused,
                     const std::string& disabled);
    bool LoadUnchecked(const std::string& folder, const std::string& raised,
                       const std::string& sunken, const std::string& focused,
                       const std::string& disabled);
    bool LoadGrayed(const std::string& folder, const std::string& raised, const std::string& sunken,
                    const std::string& focused, const std::string& disabled);

    void ShowRaised() override { ShowBitmap(0 + Offset()); }
    void ShowSunken() override { ShowBitmap(1 + Offset()); }
    void ShowFocused() override { ShowBitmap(2 + Offset()); }
    void ShowDisabled() override { ShowBitmap(3 + Offset()); }
    int Substitute(int state) override;
    void Click() override;

protected:
    void BitmapChanged(lumo::TObject* sender) override;

private:
    int Offset() const;

    KdChkBoxAppearance m_appearance;
    lumo::TCheckBoxState m_state = lumo::TCheckBoxState::cbUnchecked;
    bool m_allowGrayed = false;
};
