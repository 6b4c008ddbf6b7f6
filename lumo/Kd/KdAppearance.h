#pragma once
// Property objects of the skinned controls: appearances say which bitmap belongs to which
// state (reading gives the control's own copy, writing copies into it), font colours which
// text colour belongs to which state (-1: the font's own colour).
#include "lumo/Forms/Bitmap.h"

class KdCustomControl;

class KdCtrlAppearance
{
public:
    KdCtrlAppearance(KdCustomControl& owner, int firstState)
        : m_owner(owner), m_firstState(firstState)
    {}
    virtual ~KdCtrlAppearance() = default;
    KdCtrlAppearance(const KdCtrlAppearance&) = delete;
    KdCtrlAppearance& operator=(const KdCtrlAppearance&) = delete;

    int FirstState() const { return m_firstState; }
    // The bitmap of state FirstState() + offset.
    lumo::TBitmap& GetBitmap(int offset) const;
    // Copies bitmap (null: empties the state).
    void SetBitmap(int offset, const lumo::TBitmap* bitmap);

protected:
    void CopyState(const KdCtrlAppearance& source, int offset);

private:
    KdCustomControl& m_owner;
    int m_firstState;
};

class KdFourStateAppearance : public KdCtrlAppearance
{
public:
    using KdCtrlAppearance::KdCtrlAppearance;

    lumo::TBitmap& RaisedBmp() const { return GetBitmap(0); }
    lumo::TBitmap& SunkenBmp() const { return GetBitmap(1); }
    lumo::TBitmap& FocusedBmp() const { return GetBitmap(2); }
    lumo::TBitmap& DisabledBmp() const { return GetBitmap(3); }
    void SetRaisedBmp(const lumo::TBitmap& bitmap) { SetBitmap(0, &bitmap); }
    void SetSunkenBmp(const lumo::TBitmap& bitmap) { SetBitmap(1, &bitmap); }
    void SetFocusedBmp(const lumo::TBitmap& bitmap) { SetBitmap(2, &bitmap); }
    void SetDisabledBmp(const lumo::TBitmap& bitmap) { SetBitmap(3, &bitmap); }
    // Raised, sunken, focused, disabled, in that order.
    void Assign(const KdFourStateAppearance& source);
};

class KdThreeStateAppearance : public KdCtrlAppearance
{
public:
    using KdCtrlAppearance::KdCtrlAppearance;

    lumo::TBitmap& NormalBmp() const { return GetBitmap(0); }
    lumo::TBitmap& FocusedBmp() const { return GetBitmap(1); }
    lumo::TBitmap& DisabledBmp() const { return GetBitmap(2); }
    void SetNormalBmp(const lumo::TBitmap& bitmap) { SetBitmap(0, &bitmap); }
    void SetFocusedBmp(const lumo::TBitmap& bitmap) { SetBitmap(1, &bitmap); }
    void SetDisabledBmp(const lumo::TBitmap& bitmap) { SetBitmap(2, &bitmap); }
    // Normal, focused, disabled, in that order.
    void Assign(const KdThreeStateAppearance& source);
};

// The check box's three sets of four pictures.
class KdChkBoxAppearance
{
public:
    explicit KdChkBoxAppearance(KdCustomControl& owner)
        : Check(owner, 4), Uncheck(owner, 0), Gray(owner, 8)
    {}
    // Uncheck, Check, Gray, in that order.
    void Assign(const KdChkBoxAppearance& source);

    KdFourStateAppearance Check;
    KdFourStateAppearance Uncheck;
    KdFourStateAppearance Gray;
};

class KdRadioBtnAppearance
{
public:
    explicit KdRadioBtnAppearance(KdCustomControl& owner) : Check(owner, 4), Uncheck(owner, 0) {}
    // Uncheck, then Check.
    void Assign(const KdRadioBtnAppearance& source);

    KdFourStateAppearance Check;
    KdFourStateAppearance Uncheck;
};

// A colour value that is not set: the font's own colour is used.
constexpr lumo::TColor kdColorNotSet = -1;

class KdCtrlFontColor : public lumo::TObject
{
public:
    LUMO_CLASS_NAME(KdCtrlFontColor)
    // Fires after a colour changed, with this object as sender.
    lumo::TNotifyEvent OnChange;

protected:
    // Stores value; fires OnChange when it differs from what was there.
    void Store(lumo::TColor& field, lumo::TColor value);
    void Changed();
};

class KdTwoStateFontColor : public KdCtrlFontColor
{
public:
    LUMO_CLASS_NAME(KdTwoStateFontColor)
    lumo::TColor Focused() const { return m_focused; }
    void SetFocused(lumo::TColor color) { Store(m_focused, color); }
    lumo::TColor Disabled() const { return m_disabled; }
    void SetDisabled(lumo::TColor color) { Store(m_disabled, color); }
    // Copies every colour, then fires OnChange once.
    void Assign(const KdTwoStateFontColor& source);

private:
    lumo::TColor m_focused = kdColorNotSet;
    lumo::TColor m_disabled = kdColorNotSet;
};

class KdThreeStateFontColor : public KdCtrlFontColor
{
public:
    LUMO_CLASS_NAME(KdThreeStateFontColor)
    lumo::TColor Sunken() const { return m_sunken; }
    void SetSunken(lumo::TColor color) { Store(m_sunken, color); }
    lumo::TColor Focused() const { return m_focused; }
    void SetFocused(lumo::TColor color) { Store(m_focused, color); }
    lumo::TColor Disabled() const { return m_disabled; }
    void SetDisabled(lumo::TColor color) { Store(m_disabled, color); }
    // Copies every colour, then fires OnChange once.
    void Assign(const KdThreeStateFontColor& source);

private:
    lumo::TColor m_sunken = kdColorNotSet;
    lumo::TColor m_focused = kdColorNotSet;
    lumo::TColor m_disabled = kdColorNotSet;
};
