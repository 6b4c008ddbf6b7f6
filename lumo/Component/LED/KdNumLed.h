#pragma once
// KdNumLed: a windowless control showing a number, a time or a date as a row of seven-segment
// LEDs drawn as polygons scaled to the control's size. The format text has one character per
// LED: "8" a digit (also H h M m S s for times, D d M m Y y for dates), "." a point, "^" a
// degree ring, "C" the letter C, "&" the word RPM.
#include "lumo/Component/LED/KdNumLed_imp.h"
#include "lumo/Forms/Control.h"

#include <memory>
#include <string>

class KdNumLed : public lumo::TGraphicControl
{
public:
    LUMO_CLASS_NAME(KdNumLed)
    // Format "8888" at its natural size, 72 x 22.
    explicit KdNumLed(lumo::TComponent* owner);
    ~KdNumLed() override;

    KdNumLedType Type() const { return m_imp->Type(); }
    void SetType(KdNumLedType type) { m_imp->SetType(type); }
    KdNumLedStyle Style() const { return m_style; }
    void SetStyle(KdNumLedStyle style) { m_style = style; }
    bool ZeroLeading() const { return m_imp->ZeroLeading(); }
    void SetZeroLeading(bool zeroLeading);

    const std::string& Format() const { return m_imp->Format(); }
    // Rebuilds the row for a new format and sizes the control again; a format with a character
    // that makes no LED (or an empty one) is refused and the old format stays.
    void SetFormat(const std::string& format);

    const KdLedColors& LedColors() const { return m_imp->Colors(); }
    void SetLedColors(const KdLedColors& colors);
    // Pixels of LedColors().TransparentColor are not drawn.
    bool Transparent() const { return m_imp->Transparent(); }
    void SetTransparent(bool transparent);
    // Keep the row's natural aspect ratio: bounds asked for are reduced to fit it.
    bool KeepRatio() const { return m_keepRatio; }
    void SetKeepRatio(bool keepRatio);

    // The double forms for nledFloat, the date-time forms for nledTime and nledDate; false for
    // the wrong type.
    bool SetValue(double value);
    bool SetValue(const SYSTEMTIME& value);
    bool GetValue(double& value) const { return m_imp->GetValue(value); }
    bool GetValue(SYSTEMTIME& value) const { return m_imp->GetValue(value); }

    // LED number n (1 the leftmost; 0 all) on or off.
    void On(int number);
    void Off(int number);

    int LedCount() const { return m_imp->LedCount(); }
    // What the LEDs show (see KdNumLed_imp::ShownText).
    std::string ShownText() const { return m_imp->ShownText(); }

    void SetBounds(int left, int top, int width, int height) override;
    void Repaint() override;
    void Paint(lumo::TCanvas& canvas) override;

    lumo::KdNumLed_imp& Imp() { return *m_imp; }

private:
    // Sizes the row for the last size asked for, then paints when anything changed.
    void Place(int left, int top);
    void Refresh();

    std::unique_ptr<lumo::KdNumLed_imp> m_imp;
    KdNumLedStyle m_style = nledRectangle7_s;
    bool m_keepRatio = false;
    int m_requestedWidth = 0;
    int m_requestedHeight = 0;
};
