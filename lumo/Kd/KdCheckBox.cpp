#include "lumo/Kd/KdCheckBox.h"

using namespace lumo;

KdCheckBox::KdCheckBox(TComponent* owner) : KdCustomControl(owner, false, 12), m_appearance(*this)
{
    SetDoubleClicks(false);
}

int KdCheckBox::Offset() const
{
    switch (m_state) {
    case TCheckBoxState::cbChecked:
        return 4;
    case TCheckBoxState::cbGrayed:
        return 8;
    default:
        return 0;
    }
}

int KdCheckBox::Substitute(int state)
{
    return state % 4 == 0 ? 0 : state - state % 4;
}

void KdCheckBox::SetState(TCheckBoxState state)
{
    m_state = state;
    ShowBitmap(RequestedState() % 4 + Offset());
}

void KdCheckBox::SetChecked(bool checked)
{
    SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void KdCheckBox::Click()
{
    switch (m_state) {
    case TCheckBoxState::cbUnchecked:
        SetState(m_allowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked);
        break;
    case TCheckBoxState::cbChecked:
        SetState(TCheckBoxState::cbUnchecked);
        break;
    case TCheckBoxState::cbGrayed:
        SetState(TCheckBoxState::cbChecked);
        break;
    }
    KdCustomControl::Click();
}

bool KdCheckBox::LoadChecked(const std::string& folder, const std::string& raised,
                             const std::string& sunken, const std::string& focused,
                             const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.Check.FirstState(), folder,
                            {raised, sunken, focused, disabled});
}

bool KdCheckBox::LoadUnchecked(const std::string& folder, const std::string& raised,
                               const std::string& sunken, const std::string& focused,
                               const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.Uncheck.FirstState(), folder,
                            {raised, sunken, focused, disabled});
}

bool KdCheckBox::LoadGrayed(const std::string& folder, const std::string& raised,
                            const std::string& sunken, const std::string& focused,
                            const std::string& disabled)
{
    return LoadStateBitmaps(m_appearance.Gray.FirstState(), folder,
                            {raised, sunken, focused, disabled});
}

void KdCheckBox::BitmapChanged(TObject* sender)
{
    ReshowOnFallbackChange(sender);
    KdCustomControl::BitmapChanged(sender);
}
