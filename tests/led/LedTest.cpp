// The LED row's rules without a window: format characters, value spreading, on and off, the
// state tables and the kept aspect ratio.
#include "lumo/Component/LED/KdNumLed_imp.h"
#include "lumo/Graphics/Shape/ShapeLedFatory.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

using lumo::KdNumLed_imp;

SYSTEMTIME Moment(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

TEST(KdNumLedImp, FloatValuesAreSpreadOverTheDigitsFromTheRight)
{
    KdNumLed_imp led;
    EXPECT_EQ("####", led.ShownText()) << "a new row shows every LED in its last state";
    ASSERT_TRUE(led.SetFormat("888.8"));
    EXPECT_EQ("###.#", led.ShownText());

    ASSERT_TRUE(led.SetValue(3.14159));
    EXPECT_EQ("  3.1", led.ShownText());
    led.SetZeroLeading(true);
    EXPECT_EQ("003.1", led.ShownText()) << "the shown number follows ZeroLeading";
    led.SetZeroLeading(false);
    EXPECT_EQ("  3.1", led.ShownText());
    led.SetValue(-3.14159);
    EXPECT_EQ("  3.1", led.ShownText()) << "no sign LED: the magnitude";
    led.SetValue(0.04);
    EXPECT_EQ("  0.0", led.ShownText());
    led.SetValue(0.96);
    EXPECT_EQ("  1.0", led.ShownText()) << "rounded at the last digit";
    led.SetValue(HUGE_VAL);
    EXPECT_EQ("   . ", led.ShownText()) << "no digit of an infinite value is right";

    ASSERT_TRUE(led.SetFormat("8888"));
    led.SetValue(0);
    EXPECT_EQ("   0", led.ShownText());
    led.SetValue(12345);
    EXPECT_EQ("2345", led.ShownText()) << "the most significant digit is dropped";
    led.SetValue(105);
    EXPECT_EQ(" 105", led.ShownText());
    led.SetValue(-12);
    EXPECT_EQ("  12", led.ShownText());
    led.SetValue(1e300);
    EXPECT_EQ(4u, led.ShownText().size()) << "a huge value still shows four digits";

    // A new row shows its last states until a value is set, even the value it had before.
    ASSERT_TRUE(led.SetFormat("88"));
    EXPECT_EQ("##", led.ShownText());
    led.SetValue(-12);
    EXPECT_EQ("12", led.ShownText());

    double value = 0;
    ASSERT_TRUE(led.GetValue(value));
    EXPECT_EQ(-12, value);
    SYSTEMTIME moment;
    EXPECT_FALSE(led.GetValue(moment)) << "a float LED has no date-time";
    EXPECT_FALSE(led.SetValue(Moment(2024, 3, 7, 9, 5, 0)));
}

TEST(KdNumLedImp, UnknownFormatCharactersAreRefusedAndTheOldFormatStays)
{
    KdNumLed_imp led;
    ASSERT_TRUE(led.SetFormat("88.8^C"));
    led.SetValue(21.5);
    for (const char* format : {"+", "88+8", "88 8", "", "8,8"}) {
        EXPECT_FALSE(led.SetFormat(format)) << format;
        EXPECT_EQ("88.8^C", led.Format());
        EXPECT_EQ(6, led.LedCount());
        EXPECT_EQ("21.5^C", led.ShownText()) << "the states stay too";
    }
    EXPECT_TRUE(led.SetFormat("HhMmSsDdYy.^C&8"));
    EXPECT_EQ(15, led.LedCount());
}

TEST(KdNumLedImp, TimesAndDatesFillTheirLettersFromTheRight)
{
    KdNumLed_imp led;
    led.SetType(nledTime);
    ASSERT_TRUE(led.SetFormat("HH.MM"));
    ASSERT_TRUE(led.SetValue(Moment(2024, 3, 7, 9, 5, 41)));
    EXPECT_EQ("09.05", led.ShownText()) << "a field with more letters than digits: zeros";
    led.SetValue(Moment(2024, 3, 7, 23, 59, 0));
    EXPECT_EQ("23.59", led.ShownText());
    ASSERT_TRUE(led.SetFormat("H.mm.ss"));
    led.SetValue(Moment(2024, 3, 7, 14, 7, 3));
    EXPECT_EQ("4.07.03", led.ShownText()) << "only the hour's last digit fits";
    EXPECT_FALSE(led.SetValue(1.5)) << "a time LED takes no double";
    double value;
    EXPECT_FALSE(led.GetValue(value));

    led.SetType(nledDate);
    ASSERT_TRUE(led.SetFormat("DD.MM.YY"));
    led.SetValue(Moment(2024, 3, 7, 14, 7, 3));
    EXPECT_EQ("07.03.24", led.ShownText());
    ASSERT_TRUE(led.SetFormat("YYYY.MM.DD8"));
    led.SetValue(Moment(1999, 12, 31, 0, 0, 0));
    EXPECT_EQ("1999.12.31#", led.ShownText()) << "the date leaves other digits alone";
    SYSTEMTIME back;
    ASSERT_TRUE(led.GetValue(back));
    EXPECT_EQ(1999, back.wYear);
    EXPECT_EQ(31, back.wDay);
}

TEST(KdNumLedImp, LedsTurnOnAndOffByNumber)
{
    KdNumLed_imp led;
    ASSERT_TRUE(led.SetFormat("88.8"));
    led.SetValue(12.3);
    led.SetOn(2, false);
    EXPECT_EQ("1 .3", led.ShownText());
    EXPECT_FALSE(led.LedIsOn(1));
    EXPECT_EQ(lumo::SevenSegTbl::Digit(2), led.LedState(1)) << "off keeps the state";
    led.SetOn(5, false);
    led.SetOn(-1, false);
    EXPECT_EQ("1 .3", led.ShownText()) << "numbers past the LEDs change nothing";
    led.SetOn(0, false);
    EXPECT_EQ("    ", led.ShownText());
    led.SetOn(3, true);
    EXPECT_EQ("  . ", led.ShownText());
    led.SetOn(0, true);
    EXPECT_EQ("12.3", led.ShownText());
    ASSERT_TRUE(led.SetFormat("888"));
    EXPECT_EQ("###", led.ShownText()) << "a new row is all on";
}

TEST(LedStateTables, DigitsPointAndGlyphs)
{
    lumo::SevenSegTbl digits;
    ASSERT_EQ(12, digits.StateCount());
    ASSERT_EQ(7, digits.SegmentCount());
    // Segments: top, upper right, lower right, bottom, lower left, upper left, middle.
    const char* patterns[] = {"0000000", "1111110", "0110000", "1101101", "1111001", "0110011",
                              "1011011", "1011111", "1110000", "1111111", "1111011", "1111111"};
    for (int state = 0; state < 12; ++state) {
        std::string lit;
        for (int segment = 0; segment < 7; ++segment) {
            lit += digits.IsLit(state, segment) ? '1' : '0';
        }
        EXPECT_EQ(patterns[state], lit) << "state " << state;
    }
    EXPECT_DEATH(digits.IsLit(12, 0), "Assertion failed: state >= 0 && state < StateCount\\(\\)");

    struct Expected
    {
        char c;
        int width, height, segments, states;
    };
    lumo::ShapeLedFatory factory;
    for (Expected e :
         {Expected{'8', 18, 22, 7, 12}, Expected{'y', 18, 22, 7, 12}, Expected{'.', 6, 27, 1, 2},
          Expected{'^', 9, 27, 4, 2}, Expected{'C', 19, 27, 4, 2}, Expected{'&', 47, 27, 16, 2}}) {
        auto led = factory.Create(e.c);
        ASSERT_TRUE(led) << e.c;
        EXPECT_EQ(e.width, led->GetShape().CellWidth()) << e.c;
        EXPECT_EQ(e.height, led->GetShape().CellHeight()) << e.c;
        EXPECT_EQ(e.segments, led->GetShape().SegmentCount()) << e.c;
        EXPECT_EQ(e.states, led->StateCount()) << e.c;
        EXPECT_EQ(e.states - 1, led->State()) << e.c << " starts in its last state";
        // Every glyph polygon lies inside its cell.
        for (int s = 0; s < led->GetShape().SegmentCount(); ++s) {
            for (const lumo::PointF& p : led->GetShape().Segment(s)) {
                EXPECT_TRUE(p.x >= 0 && p.x <= e.width && p.y >= 0 && p.y <= e.height) << e.c;
            }
        }
    }
    EXPECT_FALSE(factory.Create('+'));
}

TEST(KdNumLedImp, KeepRatioFitsTheNaturalSizeIntoTheBounds)
{
    KdNumLed_imp led;
    ASSERT_TRUE(led.SetFormat("888.8"));
    EXPECT_EQ(78, led.Figure()->OriginalWidth()) << "4 digits of 18 and a point of 6";
    EXPECT_EQ(27, led.Figure()->OriginalHeight()) << "the point's cell is the highest";
    SIZE size = led.KeepRatioSize(200, 50);
    EXPECT_EQ(144, size.cx) << "trunc(78 x 50 / 27)";
    EXPECT_EQ(50, size.cy);
    size = led.KeepRatioSize(100, 100);
    EXPECT_EQ(100, size.cx);
    EXPECT_EQ(34, size.cy) << "trunc(27 x 100 / 78)";
    size = led.KeepRatioSize(78 * 3, 27 * 3);
    EXPECT_EQ(78 * 3, size.cx);
    EXPECT_EQ(27 * 3, size.cy);
    size = led.KeepRatioSize(-5, 40);
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, size.cy);
}

} // namespace
