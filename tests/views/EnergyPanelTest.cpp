// The energy panel on the main view: Total and Current, the reset, the period dates kept in the
// registry, the rows' units, and the small and large view.
#include "shell/base/RegistrySchema.h"
#include "tests/support/Support.h"
#include "tests/views/ViewTestSupport.h"
#include "views/ModeDial.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using viewtest::ReadPeriod;
using viewtest::Time;
using viewtest::WritePeriod;
using Glyphs = std::vector<int>;
constexpr int B = tv::glyph::kBlank;
constexpr int P = tv::glyph::kPoint;

std::vector<LONG> Box(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// Local time now as the registry keeps it, in 100 ns units.
ULONGLONG Ticks(const SYSTEMTIME& time)
{
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return (ULONGLONG(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

ULONGLONG TicksNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Ticks(now);
}

bool Same(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute;
}

class EnergyPanelTest : public viewtest::ViewTest
{
protected:
    // A CPU details window with its energy caption, attached to the panel.
    lumo::TLabel* AttachCpuForm(bool wide = true)
    {
        m_cpuForm = new lumo::TForm(m_app.get());
        auto* title = new lumo::TLabel(m_cpuForm);
        title->SetParent(m_cpuForm);
        View().Panel().AttachCpuForm(m_cpuForm, title, wide);
        return title;
    }
    lumo::TForm* m_cpuForm = nullptr;
};

TEST_F(EnergyPanelTest, FirstDisplayWritesOnlyTheMissingPeriodStarts)
{
    // The lifetime total began long ago; the Current period was never started.
    const SYSTEMTIME firstRun = Time(2008, 4, 1, 2, 31);
    ASSERT_TRUE(WritePeriod(tv::period::kTotalResetTime, firstRun));
    tv::TMainView& view = View();
    view.SetTexts();
    EXPECT_EQ("Since:2008/04/01 02:31", view.Date->Caption());
    SYSTEMTIME stored;
    EXPECT_FALSE(ReadPeriod(tv::period::kResetTime, stored)) << "nothing read, nothing written";

    // The Current view reads "ResetTime": it begins now, the lifetime start stays.
    const ULONGLONG before = TicksNow();
    view.Panel().Switch();
    const ULONGLONG after = TicksNow();
    ASSERT_TRUE(ReadPeriod(tv::period::kResetTime, stored));
    EXPECT_LE(before / 10000, Ticks(stored) / 10000);
    EXPECT_GE(after / 10000, Ticks(stored) / 10000);
    SYSTEMTIME total;
    ASSERT_TRUE(ReadPeriod(tv::period::kTotalResetTime, total));
    EXPECT_TRUE(Same(firstRun, total)) << "the start of the lifetime total was overwritten";
    EXPECT_EQ("Since" + tv::period::Format(stored), view.Date->Caption());
}

TEST_F(EnergyPanelTest, WithoutAnyPeriodBothStartNow)
{
    // A wrongly typed value counts as missing.
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kQemMbKey, tv::period::kResetTime, 7));
    View();
    SYSTEMTIME reset, total;
    ASSERT_TRUE(ReadPeriod(tv::period::kTotalResetTime, total));
    ASSERT_TRUE(ReadPeriod(tv::period::kResetTime, reset));
    EXPECT_TRUE(Same(reset, total));
}

TEST_F(EnergyPanelTest, ResetIsOnlyOfferedInTheCurrentView)
{
    tv::TMainView& view = View();
    tv::EnergyPanel& panel = view.Panel();
    ShowView();
    panel.Show();
    EXPECT_TRUE(panel.TotalView());
    EXPECT_FALSE(view.ResetButton->Visible());
    EXPECT_EQ((std::vector<LONG>{32, 2, 132, 28}), Box(view.SwitchButton->TextBounds()));
    panel.SetShrunk(true);
    panel.SetShrunk(false);
    EXPECT_FALSE(view.ResetButton->Visible()) << "Total view, after expanding";

    panel.Switch();
    EXPECT_FALSE(panel.TotalView());
    EXPECT_TRUE(view.ResetButton->Visible());
    EXPECT_TRUE(view.Date->Visible());
    EXPECT_EQ("Total", view.SwitchButton->GetText());
    EXPECT_EQ("Reduced CO2 Emission", view.ReducedCO2Title->Caption());
    EXPECT_EQ((std::vector<LONG>{29, 2, 129, 28}), Box(view.SwitchButton->TextBounds()));

    // The reset: a new start, the Current figures zeroed, shown at once.
    m_source.figures.boardCumulative = 100;
    m_source.figures.cardCumulative = 50;
    ASSERT_TRUE(WritePeriod(tv::period::kResetTime, Time(2009, 1, 1, 0, 0)));
    const ULONGLONG before = TicksNow();
    view.ResetButton->Click();
    EXPECT_EQ(1, m_source.resets);
    SYSTEMTIME stored;
    ASSERT_TRUE(ReadPeriod(tv::period::kResetTime, stored));
    EXPECT_LE(before / 10000, Ticks(stored) / 10000) << "the reset starts the period now";
    EXPECT_EQ("Since" + tv::period::Format(stored), view.Date->Caption());
    EXPECT_EQ((Glyphs{B, B, B, B, B, 0, P, 0, 0, 0}), panel.Co2Row().Shown());

    panel.Switch();
    EXPECT_FALSE(view.ResetButton->Visible());
    EXPECT_EQ("Total reduced CO2 Emission", view.ReducedCO2Title->Caption());
}

TEST_F(EnergyPanelTest, RowsShowTheViewsFiguresWithTheirUnits)
{
    lumo::TLabel* title = AttachCpuForm();
    tv::TMainView& view = View();
    tv::EnergyPanel& panel = view.Panel();
    EXPECT_EQ("Total CPU Energy Saved", title->Caption());
    m_source.figures = {45.678, 999.9, 1500, 1000, 0.5};
    ShowView();
    panel.Show();
    m_cpuForm->Show();
    panel.Refresh();
    tv::DigitRow& power = *panel.PowerRow();
    tv::DigitRow& energy = *panel.EnergyRow();
    EXPECT_EQ((Glyphs{B, 4, 5, P, 6, 8}), power.Shown());
    EXPECT_EQ(59 + 95, power.Unit(0)->Left());
    // 999.9 Wh: with the multiplier, the kWh picture 6 right of it.
    EXPECT_EQ((Glyphs{9, 9, 9, P, 8, 9, 9, 9, 9, 9}), energy.Shown());
    EXPECT_TRUE(panel.EnergyInWattHours());
    EXPECT_TRUE(energy.Unit(1)->Visible());
    EXPECT_EQ(59 + 162 + view.MacroBk.Width() + 6, energy.Unit(0)->Left());
    // Board and card total, 1999.9 Wh: 1229.938 g.
    EXPECT_EQ((Glyphs{B, B, 1, 2, 2, 9, P, 9, 3, 8}), panel.Co2Row().Shown());
    EXPECT_EQ(1, panel.Co2Unit());
    EXPECT_TRUE(panel.Co2Row().Unit(1)->Visible());
    EXPECT_FALSE(panel.Co2Row().Unit(0)->Visible());

    // The Current view: 1500 Wh of the board is 1.5 kWh, without the multiplier.
    panel.Switch();
    EXPECT_EQ("Current CPU Energy Saved", title->Caption());
    EXPECT_EQ((Glyphs{B, B, 1, P, 5, 0, 0, 0, 0, 0}), energy.Shown());
    EXPECT_FALSE(energy.Unit(1)->Visible());
    EXPECT_EQ(59 + 162, energy.Unit(0)->Left());
    EXPECT_EQ(0, panel.Co2Unit()) << "1500.5 Wh: 922807.5 mg";
    EXPECT_EQ((Glyphs{9, 2, 2, 8, 0, 7, P, 5, 0, 0}), panel.Co2Row().Shown());

    // The CPU button hides and shows the details window.
    view.CpuButton->Click();
    EXPECT_FALSE(m_cpuForm->Visible());
    view.CpuButton->Click();
    EXPECT_TRUE(m_cpuForm->Visible());
    m_cpuForm->Hide();
}

TEST_F(EnergyPanelTest, SmallViewDropsThePeriodBandAndMovesTheModeAreaUp)
{
    tv::TMainView& view = View();
    tv::EnergyPanel& panel = view.Panel();
    ShowView();
    panel.Show();
    std::vector<int> tops;
    for (lumo::TControl* control : panel.MovingControls()) {
        tops.push_back(control->Top());
    }
    ASSERT_EQ(16u, tops.size());
    EXPECT_EQ(tv::ModeDial::kChartTop, view.Dial().Chart().Top());

    view.ShrinkButton->Click();
    EXPECT_FALSE(panel.Expanded());
    EXPECT_TRUE(view.ShrinkButton->GetChecked());
    EXPECT_EQ(view.SmallBk.PixelColor(300, 300), view.Background->Picture().PixelColor(300, 300));
    for (size_t i = 0; i < tops.size(); ++i) {
        EXPECT_EQ(tops[i] - 33, panel.MovingControls()[i]->Top()) << i;
    }
    for (lumo::TControl* control :
         {static_cast<lumo::TControl*>(view.Date), static_cast<lumo::TControl*>(view.SwitchButton),
          static_cast<lumo::TControl*>(view.ResetButton)}) {
        EXPECT_FALSE(control->Visible()) << control->Name();
    }
    EXPECT_FALSE(panel.Co2Row().Visible());
    EXPECT_EQ(tv::TMainView::kHeight, view.ClientHeight()) << "the outline is the key's job";

    view.ShrinkButton->Click();
    EXPECT_TRUE(panel.Expanded());
    EXPECT_EQ(view.LargeBk.PixelColor(300, 300), view.Background->Picture().PixelColor(300, 300));
    for (size_t i = 0; i < tops.size(); ++i) {
        EXPECT_EQ(tops[i], panel.MovingControls()[i]->Top()) << i;
    }
    EXPECT_TRUE(view.Date->Visible());
    EXPECT_TRUE(view.SwitchButton->Visible());
    EXPECT_TRUE(panel.Co2Row().Visible());
}

} // namespace
