// The progress dialog as a calibration drives it: timed steps in order and the closing result,
// cancelling by pointer and keys with no step after it, counters restarted on every show, and the
// bar drawn from head, body and tail.
#include "tests/views/DialogTestSupport.h"
#include "views/ProgressDialog.h"

#include <numeric>

namespace {

using dialogtest::Script;

class ProgressDialogTest : public dialogtest::DialogTest
{
protected:
    void SetUp() override
    {
        dialogtest::DialogTest::SetUp();
        m_dialog = m_app->CreateForm<tv::TProgressDialog>();
    }

    tv::TProgressDialog* m_dialog = nullptr;
};

// What the bar shows at a step of 100: nothing below the head's width.
int BarAt(int step)
{
    const int w = step * 353 / 100;
    return w < 10 ? 0 : w;
}

TEST_F(ProgressDialogTest, StepsOneToHundredInOrderThenClosesWithOne)
{
    EXPECT_EQ(m_dialog->Duration(), 3500u);
    EXPECT_EQ(m_dialog->StepCount(), 100);
    EXPECT_EQ(m_dialog->Interval(), 35u);
    std::vector<int> steps;
    std::vector<int> barBefore;
    m_dialog->OnStep = [&](int step) {
        steps.push_back(step);
        barBefore.push_back(m_dialog->BarWidth());
    };
    const DWORD start = GetTickCount();
    EXPECT_EQ(m_dialog->ShowModal(), 1);
    const DWORD elapsed = GetTickCount() - start;

    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(steps, expected);
    // Each step finds the bar of the step before it; the last one leaves it full.
    std::vector<int> bars;
    for (int step : expected) {
        bars.push_back(BarAt(step - 1));
    }
    EXPECT_EQ(barBefore, bars);
    EXPECT_EQ(m_dialog->BarWidth(), 353);
    EXPECT_FALSE(m_dialog->Visible());
    // 101 ticks of at least 35 ms each (generously below, for a loaded machine's clock).
    EXPECT_GE(elapsed, 3000u);
}

TEST_F(ProgressDialogTest, CancelGivesTwoAndNoFurtherStepEveryWay)
{
    std::vector<int> steps;
    size_t stepsAtCancel = 0;
    int shows = 0;
    m_dialog->OnShow = [&](lumo::TObject*) {
        ++shows;
        steps.clear();
    };
    m_dialog->OnStep = [&](int step) { steps.push_back(step); };
    m_dialog->CancelButton().OnClick = [&](lumo::TObject*) { stepsAtCancel = steps.size(); };

    Script script;
    const auto cancelAt = [&](int show, int step, std::function<void()> cancel) {
        script.Then(
            "show " + std::to_string(show) + ", step " + std::to_string(step),
            [&, show, step] { return shows == show && m_dialog->CurrentStep() >= step; },
            std::move(cancel));
    };
    // The pointer on Cancel; Escape; Enter (Cancel is the only button); the close button.
    cancelAt(1, 10, [&] { dialogtest::Click(m_dialog->CancelButton()); });
    cancelAt(2, 3, [] { dialogtest::PressKey(VK_ESCAPE); });
    cancelAt(3, 3, [] { dialogtest::PressKey(VK_RETURN); });
    cancelAt(4, 3, [&] { dialogtest::Click(m_dialog->CloseButton()); });
    for (int show = 1; show <= 4; ++show) {
        EXPECT_EQ(m_dialog->ShowModal(), 2) << "show " << show;
        const std::vector<int> atClose = steps;
        dialogtest::PumpFor(150);
        EXPECT_EQ(steps, atClose) << "a step after the dialog closed, show " << show;
        ASSERT_FALSE(steps.empty()) << "show " << show;
        // Every show counts from 1 again, and none ran to its end.
        EXPECT_EQ(steps.front(), 1) << "show " << show;
        EXPECT_LT(steps.back(), 60) << "show " << show;
        if (show == 1) {
            EXPECT_GE(stepsAtCancel, 10u);
            EXPECT_EQ(steps.size(), stepsAtCancel) << "a step after Cancel was clicked";
        }
    }
    EXPECT_TRUE(script.Done()) << script.GaveUpAt();
}

TEST_F(ProgressDialogTest, BarFromHeadBodyAndTailAndDegenerateSchedules)
{
    const struct
    {
        int percent;
        int width;
    } cases[] = {{0, 0}, {2, 0}, {3, 10}, {50, 176}, {99, 349}, {100, 353}};
    for (const auto& c : cases) {
        m_dialog->DrawBar(c.percent);
        EXPECT_EQ(m_dialog->BarWidth(), c.width) << c.percent << " %";
    }
    // At 100 % the tail closes the bar: its last column is the tail's.
    auto* tail = dynamic_cast<lumo::TImage*>(m_dialog->FindComponent(skinart::kProgressBarTail));
    auto* body = dynamic_cast<lumo::TImage*>(m_dialog->FindComponent(skinart::kProgressBarBody));
    ASSERT_TRUE(tail && body);
    lumo::TBitmap& bar = m_dialog->ProgressBar().Picture();
    for (int y = 0; y < 18; ++y) {
        EXPECT_EQ(bar.PixelColor(352, y), tail->Picture().PixelColor(7, y)) << y;
        EXPECT_EQ(bar.PixelColor(200, y), body->Picture().PixelColor(5, y)) << y;
    }

    // A duration shorter than the steps still ticks; no steps at all closes at once with 1.
    m_dialog->SetDuration(50);
    EXPECT_EQ(m_dialog->Interval(), 1u);
    int calls = 0;
    m_dialog->OnStep = [&](int) { ++calls; };
    m_dialog->SetStepCount(0);
    EXPECT_EQ(m_dialog->ShowModal(), 1);
    EXPECT_EQ(calls, 0);
    m_dialog->SetStepCount(5);
    EXPECT_EQ(m_dialog->ShowModal(), 1);
    EXPECT_EQ(calls, 5);
}

} // namespace
