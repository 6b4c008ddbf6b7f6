// Digit rows: which glyphs a value shows, the clamps and units of the three rows, and where the
// glyphs sit.
#include "tests/views/ViewTestSupport.h"
#include "views/DigitRow.h"
#include "views/EnergyPanel.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using tv::DigitGlyphIndices;
using tv::EnergyPanel;
using Glyphs = std::vector<int>;
constexpr int B = tv::glyph::kBlank;
constexpr int P = tv::glyph::kPoint;

TEST(DigitGlyphs, FractionDigitsAreCappedWithoutCarryInIeeeDoubles)
{
    // 0.996 W: the last digit rounds to 10 and is capped at 9, nothing carries.
    EXPECT_EQ((Glyphs{B, 0, P, 9, 9}), DigitGlyphIndices(0.996, 2, 2));
    EXPECT_EQ((Glyphs{9, 9, 9, P, 5, 0}), DigitGlyphIndices(999.5, 3, 2));
    // 999.9 is 999.89999999999998 as a double: every later digit is a 9, the last one capped.
    EXPECT_EQ((Glyphs{9, 9, 9, P, 8, 9, 9, 9, 9, 9}), DigitGlyphIndices(999.9, 3, 6));
    // Leading positions blank, at least one digit, no point without fraction digits.
    EXPECT_EQ((Glyphs{B, B, 0, P, 0, 0}), DigitGlyphIndices(0, 3, 2));
    EXPECT_EQ((Glyphs{B, 4, 2}), DigitGlyphIndices(42.7, 3, 0));
    // Digits beyond the row's width are left out; a broken figure shows 0.
    EXPECT_EQ((Glyphs{2, 3, P, 0}), DigitGlyphIndices(123, 2, 1));
    EXPECT_EQ((Glyphs{B, 0, P, 0}), DigitGlyphIndices(-5, 2, 1));
    EXPECT_EQ((Glyphs{B, 0, P, 0}),
              DigitGlyphIndices(std::numeric_limits<double>::quiet_NaN(), 2, 1));
}

TEST(DigitGlyphs, RowsClampAndChooseTheirUnits)
{
    // 150 W: capped at 99.99 with two integer digits, shown whole with three.
    EXPECT_EQ((Glyphs{9, 9, P, 9, 9}),
              DigitGlyphIndices(EnergyPanel::PowerShown(150, false), 2, 2));
    EXPECT_EQ((Glyphs{1, 5, 0, P, 0, 0}),
              DigitGlyphIndices(EnergyPanel::PowerShown(150, true), 3, 2));
    EXPECT_DOUBLE_EQ(999.99, EnergyPanel::PowerShown(1000, true));

    int range = -1;
    EXPECT_EQ((Glyphs{9, 9, 9, P, 8, 9, 9, 9, 9, 9}),
              DigitGlyphIndices(EnergyPanel::EnergyShown(999.9, range), 3, 6));
    EXPECT_EQ(0, range) << "Wh with the multiplier";
    EXPECT_EQ((Glyphs{B, B, 1, P, 5, 0, 0, 0, 0, 0}),
              DigitGlyphIndices(EnergyPanel::EnergyShown(1500, range), 3, 6));
    EXPECT_EQ(1, range) << "kWh";
    EXPECT_DOUBLE_EQ(999.999999, EnergyPanel::EnergyShown(5e6, range));

    // 2000 Wh avoid 1 230 000 mg of CO2: 1230.000 g.
    int unit = -1;
    const double co2 = 2000 * EnergyPanel::kCo2PerWattHour;
    EXPECT_EQ((Glyphs{B, B, 1, 2, 3, 0, P, 0, 0, 0}),
              DigitGlyphIndices(EnergyPanel::Co2Shown(co2, unit), 6, 3));
    EXPECT_EQ(1, unit);
    EnergyPanel::Co2Shown(999999.0, unit);
    EXPECT_EQ(0, unit) << "mg";
    EXPECT_DOUBLE_EQ(2500, EnergyPanel::Co2Shown(2.5e9, unit));
    EXPECT_EQ(2, unit) << "kg";
    EXPECT_DOUBLE_EQ(999999.999, EnergyPanel::Co2Shown(1e16, unit));
}

using DigitRowTest = viewtest::ViewTest;

TEST_F(DigitRowTest, GlyphsSitFiveApartAndThePointCloser)
{
    auto* form = new lumo::TForm(m_app.get());
    tv::DigitRow row(form, form);
    row.Build(6, 3, 46, 236);
    ASSERT_EQ(10, row.GlyphCount());
    // Digits 12 wide with gaps of 5; the point, 4 wide, one pixel back and 4 before the next.
    const int lefts[10] = {46, 63, 80, 97, 114, 131, 147, 155, 172, 189};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(lefts[k], row.GlyphImage(k)->Left()) << k;
        EXPECT_EQ(236, row.GlyphImage(k)->Top());
    }
    EXPECT_EQ((Glyphs{B, B, B, B, B, B, tv::glyph::kPlacedPoint, B, B, B}), row.Shown());

    lumo::TImage* unit = row.AddUnit(lumo::TBitmap(14, 16), 46 + 162, 240);
    row.ShowValue(1230);
    EXPECT_EQ((Glyphs{B, B, 1, 2, 3, 0, P, 0, 0, 0}), row.Shown());
    row.MoveBy(0, -33);
    EXPECT_EQ(203, row.GlyphImage(9)->Top());
    EXPECT_EQ(207, unit->Top());
    row.SetUnitVisible(0, false);
    row.SetVisible(true);
    EXPECT_FALSE(unit->Visible()) << "a hidden unit stays hidden with its row";
    EXPECT_TRUE(row.GlyphImage(0)->Visible());
    // Built again with the same count: the glyphs stay.
    lumo::TImage* first = row.GlyphImage(0);
    row.Build(6, 3, 46, 236);
    EXPECT_EQ(first, row.GlyphImage(0));
}

} // namespace
