// The mode dial's animation frame: composing the chart off-screen from its five pictures, and
// composing it, putting it into the chart and painting the window, against the 100 ms a frame
// lasts (goal: at most 5 %).
#include "lumo/Forms/Application.h"
#include "views/EnergyPanel.h"
#include "views/MainView.h"
#include "views/ModeDial.h"

#include <windows.h>
#include <cstdio>

namespace {

constexpr int kRounds = 20;

class NoFigures : public tv::EnergySource
{
public:
    tv::EnergyFigures Read() override { return {}; }
    void ResetCumulative() override {}
};

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main()
{
    lumo::TApplication application;
    NoFigures figures;
    auto* view = new tv::TMainView(&application, &figures);
    view->HandleNeeded();
    tv::ModeDial& dial = view->Dial();
    if (dial.Images().pentagon.Empty()) {
        std::printf("the dial's pictures are missing\n");
        return 1;
    }
    view->Show();
    application.ProcessMessages();

    lumo::TBitmap frame;
    dial.ComposeFrame(2, 4, 0, frame); // warm-up
    double start = NowMs();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < tv::ModeDial::kFrameCount; ++i) {
            dial.ComposeFrame(2, 4, i, frame);
        }
    }
    const double composed = (NowMs() - start) / (kRounds * tv::ModeDial::kFrameCount);

    start = NowMs();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < tv::ModeDial::kFrameCount; ++i) {
            dial.ComposeFrame(2, 4, i, frame);
            dial.Chart().SetPicture(frame);
            dial.Chart().Repaint();
        }
    }
    const double shown = (NowMs() - start) / (kRounds * tv::ModeDial::kFrameCount);

    std::printf("Mode dial frame (%d x %d chart, %d frames x %d rounds):\n",
                dial.Images().pentagon.Width(), dial.Images().pentagon.Height(),
                tv::ModeDial::kFrameCount, kRounds);
    std::printf("composed off-screen       %6.3f ms = %5.2f %% of the 100 ms frame\n", composed,
                composed);
    std::printf("composed, shown, painted  %6.3f ms = %5.2f %% of the 100 ms frame (goal at most "
                "5 %%)\n",
                shown, shown);
    return 0;
}
