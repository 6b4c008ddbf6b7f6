#include "tests/views/ViewTestSupport.h"

#include "shell/base/RegistrySchema.h"
#include "tests/support/Support.h"
#include "views/DigitRow.h"
#include "views/PngLoader.h"

#include <cstring>

namespace viewtest {

void ViewTest::SetUp()
{
    // The process-wide pictures exist before the test counts GDI objects.
    tv::DigitGlyphs::Instance();
    tv::PngLoader::Instance();
    tvtest::ResetProgramRegistry();
    formstest::AppTest::SetUp();
}

void ViewTest::TearDown()
{
    m_view = nullptr;
    formstest::AppTest::TearDown();
    tvtest::ResetProgramRegistry();
}

tv::TMainView& ViewTest::View()
{
    if (!m_view) {
        m_view = new tv::TMainView(m_app.get(), &m_source);
        m_view->HandleNeeded();
    }
    return *m_view;
}

void ViewTest::ShowView()
{
    tv::TMainView& view = View();
    view.SetBounds(40, 40, view.Width(), view.Height());
    ShowWindow(view.Handle(), SW_SHOWNOACTIVATE);
    view.SetVisible(true);
    view.Repaint();
    PumpFor(50);
}

bool ReadPeriod(const char* name, SYSTEMTIME& time)
{
    tvtest::RawValue raw = tvtest::ReadRaw(tv::reg::kQemMbKey, name);
    if (!raw.exists || raw.type != REG_BINARY || raw.data.size() != sizeof(FILETIME)) {
        return false;
    }
    FILETIME stored;
    std::memcpy(&stored, raw.data.data(), sizeof stored);
    return FileTimeToSystemTime(&stored, &time) != FALSE;
}

bool WritePeriod(const char* name, const SYSTEMTIME& time)
{
    FILETIME stored;
    return SystemTimeToFileTime(&time, &stored) &&
           tvtest::WriteRaw(tv::reg::kQemMbKey, name, REG_BINARY, &stored, sizeof stored);
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

} // namespace viewtest
