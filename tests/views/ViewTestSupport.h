#pragma once
// Equipment of the view tests: the main view on a fresh application, with figures of the
// test's choosing and a clean registry.
#include "tests/forms/FormsTestSupport.h"
#include "views/EnergyPanel.h"
#include "views/MainView.h"

#include <windows.h>

namespace viewtest {

// Figures set by the test; counts the resets.
class FakeEnergySource : public tv::EnergySource
{
public:
    tv::EnergyFigures Read() override { return figures; }
    void ResetCumulative() override
    {
        ++resets;
        figures.boardCumulative = 0;
        figures.cardCumulative = 0;
    }

    tv::EnergyFigures figures;
    int resets = 0;
};

class ViewTest : public formstest::AppTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The view, created (hidden) on first use.
    tv::TMainView& View();
    // Shown without taking the foreground, painted.
    void ShowView();

    FakeEnergySource m_source;
    tv::TMainView* m_view = nullptr;
};

// An 8-byte FILETIME of local time stored as the program stores it; false when absent.
bool ReadPeriod(const char* name, SYSTEMTIME& time);
bool WritePeriod(const char* name, const SYSTEMTIME& time);
SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute);

} // namespace viewtest
