#include "lumo/Component/LED/KdNumLed_imp.h"

#include "lumo/System/Source/Assert.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace lumo {
namespace {

bool SameDateTime(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    // The day of the week follows from the date.
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

} // namespace

KdNumLed_imp::KdNumLed_imp()
{
    m_image.SetPixelFormat(TPixelFormat::pf24bit);
    m_image.SetTransparentColor(m_colors.TransparentColor);
    m_group = std::make_unique<ShapeLedGroup>();
    SetFormat("8888");
}

bool KdNumLed_imp::SetFormat(const std::string& format)
{
    if (m_group->Count() > 0 && format == m_format) {
        return true;
    }
    // A row without LEDs shows nothing and has no size to keep a ratio of.
    if (format.empty()) {
        return false;
    }
    for (char c : format) {
        if (!ShapeLedFatory::IsFormatChar(c)) {
            return false;
        }
    }
    auto group = std::make_unique<ShapeLedGroup>();
    for (char c : format) {
        group->Add(m_factory.Create(c));
    }
    group->SetBounds(0, 0, m_image.Width(), m_image.Height());
    m_group = std::move(group);
    m_format = format;
    m_valueShown = false;
    m_dirty = true;
    return true;
}

int KdNumLed_imp::LedState(int index) const
{
    return m_group->LED(static_cast<size_t>(index)).State();
}

bool KdNumLed_imp::LedIsOn(int index) const
{
    return m_group->LED(static_cast<size_t>(index)).IsOn();
}

std::string KdNumLed_imp::ShownText() const
{
    std::string text;
    for (int i = 0; i < LedCount(); ++i) {
        const ShapeLed& led = m_group->LED(static_cast<size_t>(i));
        char c = m_format[static_cast<size_t>(i)];
        if (!led.IsOn()) {
            text += ' ';
        } else if (ShapeLedFatory::IsDigitChar(c)) {
            int state = led.State();
            text += state == SevenSegTbl::Blank    ? ' '
                    : state == SevenSegTbl::AllLit ? '#'
                                                   : static_cast<char>('0' + state - 1);
        } else {
            text += led.State() == BinStateTbl::On ? c : ' ';
        }
    }
    return text;
}

void KdNumLed_imp::SetState(int index, int state)
{
    ShapeLed& led = m_group->LED(static_cast<size_t>(index));
    if (led.State() != state) {
        led.SetState(state);
        m_dirty = true;
    }
}

void KdNumLed_imp::SetType(KdNumLedType type)
{
    if (type != m_type) {
        m_type = type;
        m_valueShown = false;
    }
}

void KdNumLed_imp::SetZeroLeading(bool zeroLeading)
{
    if (zeroLeading == m_zeroLeading) {
        return;
    }
    m_zeroLeading = zeroLeading;
    if (m_type == nledFloat && m_valueShown) {
        SpreadFloat(m_value);
    }
}

bool KdNumLed_imp::SetValue(double value)
{
    if (m_type != nledFloat) {
        return false;
    }
    // Compared bit for bit in effect: NaN never equals itself and is shown again, harmlessly.
    if (m_valueShown && value == m_value) {
        return true;
    }
    m_value = value;
    SpreadFloat(value);
    m_valueShown = true;
    return true;
}

bool KdNumLed_imp::SetValue(const SYSTEMTIME& value)
{
    if (m_type != nledTime && m_type != nledDate) {
        return false;
    }
    if (m_valueShown && SameDateTime(value, m_dateTime)) {
        return true;
    }
    m_dateTime = value;
    SpreadDateTime(value);
    m_valueShown = true;
    return true;
}

bool KdNumLed_imp::GetValue(double& value) const
{
    if (m_type != nledFloat) {
        return false;
    }
    value = m_value;
    return true;
}

bool KdNumLed_imp::GetValue(SYSTEMTIME& value) const
{
    if (m_type != nledTime && m_type != nledDate) {
        return false;
    }
    value = m_dateTime;
    return true;
}

void KdNumLed_imp::SpreadFloat(double value)
{
    int count = LedCount();
    size_t point = m_format.find('.');
    // 1-based position of the first point; one past the end when there is none.
    int p = point == std::string::npos ? count + 1 : static_cast<int>(point) + 1;
    int f = 0;
    for (int i = p; i < count; ++i) {
        if (m_format[static_cast<size_t>(i)] == '8') {
            ++f;
        }
    }
    double n = std::floor(value * std::pow(10.0, f) + 0.5);
    // Too large or not a number: no digit can be right, so none is shown.
    bool blank = !std::isfinite(n);
    n = std::fabs(n);
    bool unitsMet = false;
    for (int i = count - 1; i >= 0; --i) {
        if (m_format[static_cast<size_t>(i)] != '8') {
            continue;
        }
        if (blank) {
            SetState(i, SevenSegTbl::Blank);
            continue;
        }
        // Kept in floating point: only the low digits matter, whatever the magnitude.
        int digit = static_cast<int>(std::fmod(n, 10.0));
        double rest = std::floor(n / 10.0);
        bool rightOfPoint = i + 1 > p;
        bool shown = rightOfPoint || digit != 0 || rest != 0 || m_zeroLeading || !unitsMet;
        if (!rightOfPoint) {
            unitsMet = true;
        }
        SetState(i, shown ? SevenSegTbl::Digit(digit) : SevenSegTbl::Blank);
        n = rest;
    }
}

void KdNumLed_imp::SpreadDateTime(const SYSTEMTIME& value)
{
    // Three fields, each giving up its last digit to the letter that takes it.
    int fields[3];
    const char* letters;
    if (m_type == nledTime) {
        fields[0] = value.wHour;
        fields[1] = value.wMinute;
        fields[2] = value.wSecond;
        letters = "HMS";
    } else {
        fields[0] = value.wDay;
        fields[1] = value.wMonth;
        fields[2] = value.wYear;
        letters = "DMY";
    }
    for (int i = LedCount() - 1; i >= 0; --i) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(m_format[i])));
        for (int field = 0; field < 3; ++field) {
            if (c == letters[field]) {
                SetState(i, SevenSegTbl::Digit(fields[field] % 10));
                fields[field] /= 10;
            }
        }
    }
}

void KdNumLed_imp::SetOn(int number, bool on)
{
    if (number < 0 || number > LedCount()) {
        return;
    }
    int first = number == 0 ? 0 : number - 1;
    int last = number == 0 ? LedCount() - 1 : number - 1;
    for (int i = first; i <= last; ++i) {
        ShapeLed& led = m_group->LED(static_cast<size_t>(i));
        if (led.IsOn() != on) {
            led.SetOn(on);
            m_dirty = true;
        }
    }
}

SIZE KdNumLed_imp::KeepRatioSize(int width, int height) const
{
    LUMO_ASSERT(Figure()->OriginalWidth() > 0 && Figure()->OriginalHeight() > 0);
    long long w = std::max(width, 0);
    long long h = std::max(height, 0);
    long long naturalWidth = Figure()->OriginalWidth();
    long long naturalHeight = Figure()->OriginalHeight();
    // The smaller scale wins; kept in integers so the limiting side is exactly the one asked for.
    if (w * naturalHeight <= h * naturalWidth) {
        return SIZE{static_cast<LONG>(w), static_cast<LONG>(naturalHeight * w / naturalWidth)};
    }
    return SIZE{static_cast<LONG>(naturalWidth * h / naturalHeight), static_cast<LONG>(h)};
}

void KdNumLed_imp::Resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width != m_image.Width() || height != m_image.Height()) {
        m_image.SetSize(width, height);
        m_dirty = true;
    }
    m_group->SetBounds(0, 0, width, height);
}

void KdNumLed_imp::SetColors(const KdLedColors& colors)
{
    m_colors = colors;
    m_image.SetTransparentColor(colors.TransparentColor);
    m_dirty = true;
}

void KdNumLed_imp::SetTransparent(bool transparent)
{
    if (transparent != m_image.Transparent()) {
        m_image.SetTransparent(transparent);
        m_dirty = true;
    }
}

void KdNumLed_imp::Paint()
{
    m_dirty = false;
    if (m_image.Empty()) {
        return;
    }
    m_painter.SetColors(m_colors.LightColor, m_colors.DarkColor, m_colors.BackgroundColor);
    m_painter.Clear();
    m_group->Paint(m_painter);
    m_image.Changed();
}

} // namespace lumo
