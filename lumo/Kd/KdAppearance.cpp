#include "lumo/Kd/KdAppearance.h"

#include "lumo/Kd/KdCustomControl.h"

using namespace lumo;

TBitmap& KdCtrlAppearance::GetBitmap(int offset) const
{
    return m_owner.GetStateBitmap(m_firstState + offset);
}

void KdCtrlAppearance::SetBitmap(int offset, const TBitmap* bitmap)
{
    m_owner.SetStateBitmap(m_firstState + offset, bitmap);
}

void KdCtrlAppearance::CopyState(const KdCtrlAppearance& source, int offset)
{
    SetBitmap(offset, &source.GetBitmap(offset));
}

void KdFourStateAppearance::Assign(const KdFourStateAppearance& source)
{
    if (&source == this) {
        return;
    }
    for (int offset = 0; offset < 4; ++offset) {
        CopyState(source, offset);
    }
}

void KdThreeStateAppearance::Assign(const KdThreeStateAppearance& source)
{
    if (&source == this) {
        return;
    }
    for (int offset = 0; offset < 3; ++offset) {
        CopyState(source, offset);
    }
}

void KdChkBoxAppearance::Assign(const KdChkBoxAppearance& source)
{
    Uncheck.Assign(source.Uncheck);
    Check.Assign(source.Check);
    Gray.Assign(source.Gray);
}

void KdRadioBtnAppearance::Assign(const KdRadioBtnAppearance& source)
{
    Uncheck.Assign(source.Uncheck);
    Check.Assign(source.Check);
}

void KdCtrlFontColor::Store(TColor& field, TColor value)
{
    if (field == value) {
        return;
    }
    field = value;
    Changed();
}

void KdCtrlFontColor::Changed()
{
    if (OnChange) {
        OnChange(this);
    }
}

void KdTwoStateFontColor::Assign(const KdTwoStateFontColor& source)
{
    m_focused = source.m_focused;
    m_disabled = source.m_disabled;
    Changed();
}

void KdThreeStateFontColor::Assign(const KdThreeStateFontColor& source)
{
    m_sunken = source.m_sunken;
    m_focused = source.m_focused;
    m_disabled = source.m_disabled;
    Changed();
}
