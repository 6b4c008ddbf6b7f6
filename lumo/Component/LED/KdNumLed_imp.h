#pragma once
// The implementation behind KdNumLed: the format, the row of LEDs with one state each, the last
// value, and a painter drawing the row onto an image bitmap. It needs no window, so its rules
// are testable on their own.
#include "lumo/Component/LED/KdNumLedTypes.h"
#include "lumo/Forms/Bitmap.h"
#include "lumo/Graphics/Shape/ShapeLedFatory.h"
#include "lumo/Graphics/SimplePainter/SimplePainter.h"

#include <memory>
#include <string>

namespace lumo {

class KdNumLed_imp
{
public:
    // Format "8888", every LED in its last state.
    KdNumLed_imp();
    KdNumLed_imp(const KdNumLed_imp&) = delete;
    KdNumLed_imp& operator=(const KdNumLed_imp&) = delete;

    // A new format builds a new row, every LED in its last state and on. An empty text or one
    // with a character that makes no LED is refused: false, and the old format stays.
    bool SetFormat(const std::string& format);
    const std::string& Format() const { return m_format; }
    ShapeLedGroup* Figure() { return m_group.get(); }
    const ShapeLedGroup* Figure() const { return m_group.get(); }
    int LedCount() const { return m_group->Count(); }
    // The state and on flag of LED index (0 = leftmost).
    int LedState(int index) const;
    bool LedIsOn(int index) const;
    // What the row shows, one character per LED: a digit's value, " " when blank, "#" when every
    // segment is lit; other LEDs their format character when lit; an LED that is off " ".
    std::string ShownText() const;

    KdNumLedType Type() const { return m_type; }
    void SetType(KdNumLedType type);
    bool ZeroLeading() const { return m_zeroLeading; }
    // Shows the current number again with or without leading zeros.
    void SetZeroLeading(bool zeroLeading);

    // Only for nledFloat (the double forms) or nledTime / nledDate (the date-time forms); false
    // for the wrong type. A value already shown is not spread again.
    bool SetValue(double value);
    bool SetValue(const SYSTEMTIME& value);
    bool GetValue(double& value) const;
    bool GetValue(SYSTEMTIME& value) const;

    // LED number n on or off: 1 the leftmost up to LedCount(), 0 all; other numbers change
    // nothing.
    void SetOn(int number, bool on);

    // The size the row takes in width x height when it keeps its natural aspect ratio.
    // Precondition: a natural size (the format is not empty).
    SIZE KeepRatioSize(int width, int height) const;
    // Sizes the image and stretches the row over it.
    void Resize(int width, int height);

    const KdLedColors& Colors() const { return m_colors; }
    void SetColors(const KdLedColors& colors);
    bool Transparent() const { return m_image.Transparent(); }
    void SetTransparent(bool transparent);

    // Whether something changed since the last Paint.
    bool NeedsPaint() const { return m_dirty; }
    // Background, then every segment lit or unlit.
    void Paint();
    TBitmap& Image() { return m_image; }

private:
    void SpreadFloat(double value);
    void SpreadDateTime(const SYSTEMTIME& value);
    void SetState(int index, int state);

    ShapeLedFatory m_factory;
    std::string m_format;
    std::unique_ptr<ShapeLedGroup> m_group;
    KdNumLedType m_type = nledFloat;
    bool m_zeroLeading = false;
    double m_value = 0;
    SYSTEMTIME m_dateTime = {};
    // The LEDs show the last value (not a new row's last states).
    bool m_valueShown = false;
    KdLedColors m_colors;
    TBitmap m_image;
    SimplePainter m_painter{m_image};
    bool m_dirty = true;
};

} // namespace lumo
