#pragma once
// The skinned radio button: eight pictures, four unchecked (0-3) and four checked (4-7).
// Checking one unchecks the other KdRadioButtons of the same parent.
#include "lumo/Kd/KdAppearance.h"
#include "lumo/Kd/KdCustomControl.h"

class KdRadioButton : public KdCustomControl
{
public:
    LUMO_CLASS_NAME(KdRadioButton)
    explicit KdRadioButton(lumo::TComponent* owner);

    KdRadioBtnAppearance& Appearance() { return m_appearance; }
    bool GetChecked() const override { return m_checked; }
    // Checking unchecks the exclusive siblings first; unchecking leaves the others alone.
    void SetChecked(bool checked) override;
    // A sibling of exactly this class (a derived class does not count).
    static bool IsExclusiveType(const lumo::TControl* control);
    // Unchecks every exclusive sibling.
    void ExcludeOther();

    bool LoadChecked(const std::string& folder, const std::string& raised,
                     const std::string& sunken, const std::string& focused,
                     const std::string& disabled);
    bool LoadUnchecked(const std::string& folder, const std::string& raised,
                       const std::string& sunken, const std::string& focused,
                       const std::string& disabled);

    void ShowRaised() override { ShowBitmap(0 + Offset()); }
    void ShowSunken() override { ShowBitmap(1 + Offset()); }
    void ShowFocused() override { ShowBitmap(2 + Offset()); }
    void ShowDisabled() override { ShowBitmap(3 + Offset()); }
    int Substitute(int state) override;
    void Click() override;

protected:
    void DblClick() override;
    void BitmapChanged(lumo::TObject* sender) override;

private:
    int Offset() const { return m_checked ? 4 : 0; }

    KdRadioBtnAppearance m_appearance;
    bool m_checked = false;
};
