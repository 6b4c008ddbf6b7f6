#pragma once
// The energy panel: CPU power now, CPU energy saved and CO2 avoided as rows of bitmap digits
// with unit pictures; the Total and Current periods with their start dates, the reset of the
// Current figures, and the small and large view of the main window. The power and energy rows
// sit on the CPU details window, the CO2 row on the main window.
#include "views/DigitRow.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

namespace lumo {
class TControl;
class TForm;
class TLabel;
} // namespace lumo

namespace tv {

class TMainView;

struct EnergyFigures
{
    double boardPower = 0;
    double boardTotal = 0;
    double boardCumulative = 0;
    double cardTotal = 0;
    double cardCumulative = 0;
};

// Where the figures come from.
class EnergySource
{
public:
    virtual ~EnergySource() = default;
    virtual EnergyFigures Read() = 0;
    // Both accounts' Current figures to 0.
    virtual void ResetCumulative() = 0;
};

// The power monitor's accounts.
class MonitorEnergySource : public EnergySource
{
public:
    EnergyFigures Read() override;
    void ResetCumulative() override;
};

// The start of a period, kept in HKLM "...\QEM\MB" as an 8-byte FILETIME of local time.
namespace period {

inline constexpr char kResetTime[] = "ResetTime";
inline constexpr char kTotalResetTime[] = "TotalResetTime";

// Reads the value (opening or creating the key). When it is missing or unreadable, the local
// time now is written into it, and into the other period value when that is missing too (an
// existing start of the other period is kept), and used. False when the key cannot be opened.
bool ReadStart(const char* name, SYSTEMTIME& start);
// Writes the local time now as "ResetTime"; false when the key cannot be opened.
bool WriteResetTime(SYSTEMTIME& now);
// ":2008/04/01 02:31".
std::string Format(const SYSTEMTIME& time);

} // namespace period

class EnergyPanel
{
public:
    static constexpr int kShrinkOffset = 33;
    static constexpr double kCo2PerWattHour = 615.0; // mg

    // Builds the CO2 row on the main view and wires its buttons (switch, reset, CPU, shrink).
    EnergyPanel(TMainView& view, EnergySource& source);
    EnergyPanel(const EnergyPanel&) = delete;
    EnergyPanel& operator=(const EnergyPanel&) = delete;

    // The power and energy rows on the CPU details window; energyTitle is its energy caption
    // (may be null). The CPU button toggles that window. widePowerRange: three integer digits
    // of watts (controller families F and 7), else two.
    void AttachCpuForm(lumo::TForm* cpuForm, lumo::TLabel* energyTitle, bool widePowerRange);

    // The first show of the main window: the switch button's caption area and the rows shown.
    void Show();
    // The figures again (after every energy tick and the panel's own changes); nothing while the
    // main window is hidden, or while the CPU window is hidden and the panel small.
    void Refresh();
    // The power and energy rows on the CPU details window, whether it shows yet or not.
    void RefreshCpuRows();
    // Total and Current view.
    void Switch();
    // The Current figures and their start date anew.
    void Reset();
    void ToggleCpuForm();
    void SetShrunk(bool shrunk);
    // Date shows the start of the period of the view.
    void ShowPeriod();

    bool TotalView() const { return m_totalView; }
    bool Expanded() const { return m_expanded; }
    // Null until the CPU window is attached.
    DigitRow* PowerRow() { return m_powerRow.get(); }
    DigitRow* EnergyRow() { return m_energyRow.get(); }
    DigitRow& Co2Row() { return m_co2Row; }
    // Energy row: the multiplier shown (below 1000 Wh). CO2 row: 0 mg, 1 g, 2 kg.
    bool EnergyInWattHours() const { return m_energyRange == 0; }
    int Co2Unit() const { return m_co2Unit; }
    // The controls that move with the view's size.
    const std::vector<lumo::TControl*>& MovingControls() const { return m_moving; }

    // The values a row shows, clamped as the rows do.
    static double PowerShown(double watts, bool widePowerRange);
    // kWh (range 1) above 999.999... Wh, else Wh (range 0).
    static double EnergyShown(double wattHours, int& range);
    // mg, g (unit 1) or kg (unit 2).
    static double Co2Shown(double milligrams, int& unit);

private:
    void ShowEnergy(double wattHours);
    void ShowCo2(double milligrams);
    void SetEnergyRange(int range);
    void SetCo2Unit(int unit);
    void ApplyView();
    void MoveAll(int dy);

    TMainView& m_view;
    EnergySource& m_source;
    bool m_widePowerRange = true;
    bool m_totalView = true;
    bool m_expanded = true;
    bool m_shown = false;
    lumo::TForm* m_cpuForm = nullptr;
    lumo::TLabel* m_energyTitle = nullptr;
    std::unique_ptr<DigitRow> m_powerRow;
    std::unique_ptr<DigitRow> m_energyRow;
    DigitRow m_co2Row;
    int m_energyRange = -1;
    int m_co2Unit = -1;
    std::vector<lumo::TControl*> m_moving;
};

} // namespace tv
