#include "lumo/Kd/KdRadioButton.h"

#include <cstring>

using namespace lumo;

KdRadioButton::KdRadioButton(TComponent* owner)
    : KdCustomControl(owner, false, 8), m_appearance(*this)
{}

int KdRadioButton::Substitute(int state)
{
    return state % 4 == 0 ? 0 : state - state % 4;
}

bool KdRadioButton::IsExclusiveType(const TControl* control)
{
    return control && std::strcmp(control->ClassName(), "KdRadioButton") == 0;
}

void KdRadioButton::ExcludeOther()
{
    TWinControl* parent = Parent();
    if (!parent) {
        return;
    }
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        if (sibling != this && IsExclusiveType(sibling)) {
            static_cast<KdRadioButton*>(sibling)->SetChecked(false);
        }
    }
}

void KdRadioButton::SetChecked(bool checked)
{
    if (checked) {
        ExcludeOther();
    }
    m_checked = checked;
    ShowBitmap(RequestedState() % 4 + Offset());
}

void KdRadioButton::Click()
{
    SetChecked(true);
    KdCustomControl::Click();
}

void KdRadioButton::DblClick()
{
    SetChecked(true);
    KdCustomControl::DblClick();
}

bool KdRadioButton::LoadChecked(const std::string& folder, const std::string& raised,
                                const std::string& sunken, const std::string& focused,
                                const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.Check.FirstState(), folder,
                            {raised, sunken, focused, disabled});
}

bool KdRadioButton::LoadUnchecked(const std::string& folder, const std::string& raised,
                                  const std::string& sunken, const std::string& focused,
                                  const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.Uncheck.FirstState(), folder,
                            {raised, sunken, focused, disabled});
}

void KdRadioButton::BitmapChanged(TObject* sender)
{
    ReshowOnFallbackChange(sender);
    KdCustomControl::BitmapChanged(sender);
}
