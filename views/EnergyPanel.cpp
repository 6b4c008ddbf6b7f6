#include "views/EnergyPanel.h"

#include "lumo/Forms/Form.h"
#include "lumo/Forms/Label.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "monitor/CpuPowerMonitor.h"
#include "shell/base/RegistrySchema.h"
#include "shell/base/Translate.h"
#include "views/MainView.h"
#include "views/ModeDial.h"

#include <cstdio>

namespace tv {
namespace {

// Rows: position, digits.
constexpr int kPowerLeft = 59, kPowerTop = 80;
constexpr int kEnergyLeft = 59, kEnergyTop = 139;
constexpr int kCo2Left = 46, kCo2Top = 236;
constexpr int kUnitOffset = 162;
constexpr int kEnergyUnitGap = 6;

// Energy row units.
constexpr int kWattHrUnit = 0;
constexpr int kMacroUnit = 1;

bool ReadFileTime(lumo::WinRegistry& key, const char* name, SYSTEMTIME& time)
{
    FILETIME stored = {};
    DWORD size = sizeof stored;
    if (!key.ReadBinary(name, &stored, size) || size != sizeof stored) {
        return false;
    }
    return FileTimeToSystemTime(&stored, &time) != FALSE;
}

bool WriteFileTime(lumo::WinRegistry& key, const char* name, const SYSTEMTIME& time)
{
    FILETIME stored = {};
    if (!SystemTimeToFileTime(&time, &stored)) {
        return false;
    }
    return key.WriteBinary(name, &stored, sizeof stored);
}

} // namespace

EnergyFigures MonitorEnergySource::Read()
{
    const CpuPowerMonitor& monitor = CpuPowerMonitor::Instance();
    EnergyFigures figures;
    figures.boardCumulative = monitor.BoardCumulativeSaving();
    figures.boardTotal = monitor.BoardTotalSaving();
    figures.cardCumulative = monitor.CardCumulativeSaving();
    figures.cardTotal = monitor.CardTotalSaving();
    figures.boardPower = monitor.BoardCurrentPower();
    return figures;
}

void MonitorEnergySource::ResetCumulative()
{
    CpuPowerMonitor::Instance().ResetCumulative();
}

namespace period {

bool ReadStart(const char* name, SYSTEMTIME& start)
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kQemMbKey, true)) {
        return false;
    }
    if (ReadFileTime(key, name, start)) {
        return true;
    }
    GetLocalTime(&start);
    WriteFileTime(key, name, start);
    // The other period keeps its start; only a missing one begins now as well.
    const char* other = std::string(name) == kResetTime ? kTotalResetTime : kResetTime;
    SYSTEMTIME existing;
    if (!ReadFileTime(key, other, existing)) {
        WriteFileTime(key, other, start);
    }
    return true;
}

bool WriteResetTime(SYSTEMTIME& now)
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kQemMbKey, true)) {
        return false;
    }
    GetLocalTime(&now);
    return WriteFileTime(key, kResetTime, now);
}

std::string Format(const SYSTEMTIME& time)
{
    char text[48];
    std::snprintf(text, sizeof text, ":%04d/%02d/%02d %02d:%02d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute);
    return text;
}

} // namespace period

EnergyPanel::EnergyPanel(TMainView& view, EnergySource& source)
    : m_view(view), m_source(source), m_co2Row(&view, &view)
{
    m_co2Row.Build(6, 3, kCo2Left, kCo2Top);
    for (const lumo::TBitmap* unit : {&view.MgBk, &view.GBk, &view.KgBk}) {
        m_co2Row.AddUnit(*unit, kCo2Left + kUnitOffset, kCo2Top + 4);
    }
    m_co2Row.SetVisible(false);
    SetCo2Unit(0);

    m_moving = {view.ModeTitle,        view.CurrentModeName,   view.CpuStatusTitle,
                view.TranquilityTitle, view.PerformanceTitle,  view.ReliabilityTitle,
                view.ConvenienceTitle, view.EnergySavingTitle, view.MoreSettingButton,
                view.CalibrateButton,  view.ExitButton,        view.AutoButton,
                view.NormalButton,     view.LowButton,         &view.Dial().Gear(),
                &view.Dial().Chart()};

    view.SwitchButton->OnClick = [this](lumo::TObject*) { Switch(); };
    view.ResetButton->OnClick = [this](lumo::TObject*) { Reset(); };
    view.CpuButton->OnClick = [this](lumo::TObject*) { ToggleCpuForm(); };
    view.ShrinkButton->OnClick = [this](lumo::TObject*) {
        SetShrunk(m_view.ShrinkButton->GetChecked());
    };
    ShowPeriod();
}

void EnergyPanel::AttachCpuForm(lumo::TForm* cpuForm, lumo::TLabel* energyTitle,
                                bool widePowerRange)
{
    if (!cpuForm || m_cpuForm) {
        return;
    }
    m_widePowerRange = widePowerRange;
    m_cpuForm = cpuForm;
    m_energyTitle = energyTitle;
    m_powerRow = std::make_unique<DigitRow>(cpuForm, cpuForm);
    m_powerRow->Build(m_widePowerRange ? 3 : 2, 2, kPowerLeft, kPowerTop);
    m_powerRow->AddUnit(m_view.WattsBk, kPowerLeft + (m_widePowerRange ? 95 : 78), kPowerTop + 2);
    m_energyRow = std::make_unique<DigitRow>(cpuForm, cpuForm);
    m_energyRow->Build(3, 6, kEnergyLeft, kEnergyTop);
    m_energyRow->AddUnit(m_view.WattHrBk, kEnergyLeft + kUnitOffset, kEnergyTop + 2);
    m_energyRow->AddUnit(m_view.MacroBk, kEnergyLeft + kUnitOffset, kEnergyTop - 5);
    m_powerRow->SetVisible(m_shown);
    m_energyRow->SetVisible(m_shown);
    m_energyRange = -1;
    SetEnergyRange(0);
    if (m_energyTitle) {
        m_energyTitle->SetCaption(
            Translate(m_totalView ? "Total CPU Energy Saved" : "Current CPU Energy Saved"));
    }
}

void EnergyPanel::Show()
{
    m_shown = true;
    m_view.SwitchButton->SetTextBounds(m_totalView ? 32 : 29, 2, 100, 26);
    if (m_powerRow) {
        m_powerRow->SetVisible(true);
        m_energyRow->SetVisible(true);
    }
    m_co2Row.SetVisible(m_expanded);
}

double EnergyPanel::PowerShown(double watts, bool widePowerRange)
{
    if (widePowerRange) {
        return watts >= 1000 ? 999.99 : watts;
    }
    return watts >= 100 ? 99.99 : watts;
}

double EnergyPanel::EnergyShown(double wattHours, int& range)
{
    range = wattHours < 1000 ? 0 : 1;
    double shown = range == 0 ? wattHours : wattHours / 1000;
    return shown >= 1000 ? 999.999999 : shown;
}

double EnergyPanel::Co2Shown(double milligrams, int& unit)
{
    double shown = milligrams;
    unit = 0;
    if (milligrams >= 1000000000.0) {
        unit = 2;
        shown = milligrams * 0.000001;
    } else if (milligrams >= 1000000.0) {
        unit = 1;
        shown = milligrams * 0.001;
    }
    return shown >= 1000000 ? 999999.999 : shown;
}

void EnergyPanel::SetEnergyRange(int range)
{
    if (range == m_energyRange || !m_energyRow) {
        return;
    }
    m_energyRange = range;
    const int left = m_energyRow->Left() + kUnitOffset;
    lumo::TImage* kwh = m_energyRow->Unit(kWattHrUnit);
    if (range == 0) {
        m_energyRow->SetUnitVisible(kMacroUnit, true);
        kwh->SetLeft(left + m_view.MacroBk.Width() + kEnergyUnitGap);
    } else {
        m_energyRow->SetUnitVisible(kMacroUnit, false);
        kwh->SetLeft(left);
    }
}

void EnergyPanel::SetCo2Unit(int unit)
{
    if (unit == m_co2Unit) {
        return;
    }
    m_co2Unit = unit;
    for (int index = 0; index < 3; ++index) {
        m_co2Row.SetUnitVisible(index, index == unit);
    }
}

void EnergyPanel::ShowEnergy(double wattHours)
{
    int range = 0;
    const double shown = EnergyShown(wattHours, range);
    SetEnergyRange(range);
    m_energyRow->ShowValue(shown);
}

void EnergyPanel::ShowCo2(double milligrams)
{
    int unit = 0;
    const double shown = Co2Shown(milligrams, unit);
    SetCo2Unit(unit);
    m_co2Row.ShowValue(shown);
}

void EnergyPanel::Refresh()
{
    const bool cpuVisible = m_cpuForm && m_cpuForm->Visible();
    if (!m_view.Visible() || (!cpuVisible && !m_expanded)) {
        return;
    }
    const EnergyFigures figures = m_source.Read();
    if (cpuVisible && m_powerRow) {
        m_powerRow->ShowValue(PowerShown(figures.boardPower, m_widePowerRange));
        ShowEnergy(m_totalView ? figures.boardTotal : figures.boardCumulative);
    }
    if (m_expanded) {
        const double saved = m_totalView ? figures.cardTotal + figures.boardTotal
                                         : figures.cardCumulative + figures.boardCumulative;
        ShowCo2(saved * kCo2PerWattHour);
    }
}

void EnergyPanel::RefreshCpuRows()
{
    if (!m_powerRow) {
        return;
    }
    const EnergyFigures figures = m_source.Read();
    m_powerRow->ShowValue(PowerShown(figures.boardPower, m_widePowerRange));
    ShowEnergy(m_totalView ? figures.boardTotal : figures.boardCumulative);
}

void EnergyPanel::ShowPeriod()
{
    SYSTEMTIME start;
    if (period::ReadStart(m_totalView ? period::kTotalResetTime : period::kResetTime, start)) {
        m_view.Date->SetCaption(Translate("Since") + period::Format(start));
    }
}

void EnergyPanel::ApplyView()
{
    KdButtonTx* button = m_view.SwitchButton;
    if (m_totalView) {
        button->SetText(Translate("Current"));
        m_view.ReducedCO2Title->SetCaption(Translate("Total reduced CO2 Emission"));
        if (m_energyTitle) {
            m_energyTitle->SetCaption(Translate("Total CPU Energy Saved"));
        }
        button->SetTextBounds(32, 2, 100, 26);
    } else {
        button->SetText(Translate("Total"));
        m_view.ReducedCO2Title->SetCaption(Translate("Reduced CO2 Emission"));
        if (m_energyTitle) {
            m_energyTitle->SetCaption(Translate("Current CPU Energy Saved"));
        }
        button->SetTextBounds(29, 2, 100, 26);
    }
    ShowPeriod();
    if (m_expanded) {
        m_view.Date->SetVisible(true);
        m_view.ResetButton->SetVisible(!m_totalView);
    }
}

void EnergyPanel::Switch()
{
    m_totalView = !m_totalView;
    ApplyView();
    Refresh();
}

void EnergyPanel::Reset()
{
    SYSTEMTIME now;
    if (!period::WriteResetTime(now)) {
        TraceLog("~~~[EnergyPanel] the period key cannot be opened: nothing reset");
        return;
    }
    m_view.Date->SetCaption(Translate("Since") + period::Format(now));
    m_source.ResetCumulative();
    Refresh();
}

void EnergyPanel::ToggleCpuForm()
{
    if (!m_cpuForm) {
        return;
    }
    if (m_cpuForm->Visible()) {
        m_cpuForm->Hide();
        return;
    }
    m_cpuForm->Show();
    Refresh();
}

void EnergyPanel::MoveAll(int dy)
{
    for (lumo::TControl* control : m_moving) {
        control->SetBounds(control->Left(), control->Top() + dy, control->Width(),
                           control->Height());
    }
}

void EnergyPanel::SetShrunk(bool shrunk)
{
    m_view.ShrinkButton->SetChecked(shrunk);
    if (shrunk == !m_expanded) {
        return;
    }
    if (shrunk) {
        m_expanded = false;
        m_view.SetBackgroundPicture(m_view.SmallBk);
        m_view.Date->SetVisible(false);
        m_view.ResetButton->SetVisible(false);
        m_view.SwitchButton->SetVisible(false);
        m_co2Row.SetVisible(false);
        MoveAll(-kShrinkOffset);
    } else {
        m_expanded = true;
        m_view.SetBackgroundPicture(m_view.LargeBk);
        m_view.Date->SetVisible(true);
        m_view.ResetButton->SetVisible(!m_totalView);
        m_view.SwitchButton->SetVisible(true);
        m_co2Row.SetVisible(m_shown);
        MoveAll(kShrinkOffset);
        Refresh();
    }
}

} // namespace tv
