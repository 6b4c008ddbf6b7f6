// The mode dial: where the gear stands, the chart steady, previewed and cross-faded, and the
// input the animation swallows.
#include "lumo/Graphics/Filters/PixelFilters.h"
#include "tests/views/ViewTestSupport.h"
#include "views/ModeDial.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using tv::ModeDial;

// The blend as defined: each channel d (1 - x) + s x with x = A / 255 * C / 255, truncated,
// in exact fractions.
void ReferenceBlend(lumo::TBitmap& target, const lumo::TBitmap& picture, int constant)
{
    if (picture.Empty()) {
        return;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        const BYTE* s = picture.ScanLine(y);
        BYTE* d = target.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, s += 4, d += 4) {
            const long long weight = static_cast<long long>(s[3]) * constant;
            for (int c = 0; c < 3; ++c) {
                d[c] = static_cast<BYTE>((d[c] * (65025 - weight) + s[c] * weight) / 65025);
            }
        }
    }
}

bool SamePixels(const lumo::TBitmap& a, const lumo::TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Empty()) {
        return false;
    }
    for (int y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), size_t(a.Width()) * 4) != 0) {
            return false;
        }
    }
    return true;
}

using ModeDialTest = viewtest::ViewTest;

TEST_F(ModeDialTest, GearStandsAtTheModeAndTurboAndMediumCheckTheirNeighbours)
{
    tv::TMainView& view = View();
    ModeDial& dial = view.Dial();
    struct Case
    {
        int mode;
        int gearLeft;
        KdRadioButton* checked;
        int index;
    };
    const Case cases[] = {{0x4000, 106, view.NormalButton, 1}, {1, 214, view.LowButton, 3},
                          {0x8000, 51, view.AutoButton, 0},    {2, 267, view.LowButton, 4},
                          {0, 161, view.NormalButton, 2},      {77, 161, view.NormalButton, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        tv::ModeDisplay display;
        display.mode = c.mode;
        view.ShowMode(display);
        EXPECT_EQ(c.gearLeft, dial.Gear().Left());
        EXPECT_EQ(ModeDial::kGearTop, dial.Gear().Top());
        EXPECT_EQ(c.index, dial.DrawnIndex());
        for (KdRadioButton* button : {view.AutoButton, view.NormalButton, view.LowButton}) {
            EXPECT_EQ(button == c.checked, button->GetChecked()) << button->Name();
        }
    }
    EXPECT_EQ("Auto:Max power saving", tv::TMainView::ModeText(0x8000, 3));
    EXPECT_EQ("Auto:High performance", tv::TMainView::ModeText(0x8000, 1));
    EXPECT_EQ("Medium power saving", tv::TMainView::ModeText(1, 1));
    tv::ModeDisplay lit = tv::MakeModeDisplay(2, 1, {true, 60, 0, 255, 255});
    view.ShowMode(lit);
    EXPECT_TRUE(view.CpuLed->Enabled());
    EXPECT_TRUE(view.VgaLed->Enabled());
    EXPECT_TRUE(view.DriveLed->Enabled());
    EXPECT_FALSE(view.FanLed->Enabled());
    view.ShowMode(tv::MakeModeDisplay(0, 1, {false, -1, 1, 255, 255}));
    EXPECT_FALSE(view.CpuLed->Enabled());
    EXPECT_TRUE(view.DriveLed->Enabled()) << "read unsigned";
    EXPECT_TRUE(view.FanLed->Enabled()) << "quiet fans in the profile";
}

TEST_F(ModeDialTest, HoverPreviewsOtherModesOnly)
{
    tv::TMainView& view = View();
    ModeDial& dial = view.Dial();
    int ended = 0;
    view.OnHoverEnd = [&] { ++ended; };
    view.Show();
    dial.DrawSteady(2);
    lumo::TBitmap steady, expected;
    steady.Assign(dial.Chart().Picture());
    dial.ComposeSteady(2, expected);
    EXPECT_TRUE(SamePixels(expected, steady));

    view.NormalButton->OnMouseEnter(view.NormalButton);
    EXPECT_TRUE(SamePixels(steady, dial.Chart().Picture())) << "the active mode draws nothing";
    view.NormalButton->OnMouseLeave(view.NormalButton);
    EXPECT_EQ(1, ended);

    view.LowButton->OnMouseEnter(view.LowButton);
    dial.ComposeHover(2, 4, expected);
    EXPECT_TRUE(SamePixels(expected, dial.Chart().Picture()));
    EXPECT_FALSE(SamePixels(steady, dial.Chart().Picture()));
    view.AutoButton->OnMouseLeave(view.AutoButton);
    EXPECT_EQ(1, ended) << "leaving another button";
    view.LowButton->OnMouseLeave(view.LowButton);
    EXPECT_EQ(2, ended);
}

TEST_F(ModeDialTest, CrossFadeFollowsTheAlphaTable)
{
    const int oldProfile[16] = {200, 186, 173, 160, 146, 133, 120, 106,
                                93,  80,  66,  53,  40,  26,  13,  0};
    const int newHighlight[16] = {152, 142, 132, 122, 112, 101, 91, 81,
                                  71,  61,  50,  40,  30,  20,  10, 0};
    const int newProfile[16] = {0,   13,  26,  40,  53,  66,  80,  93,
                                106, 120, 133, 146, 160, 173, 186, 200};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(oldProfile[i], ModeDial::OldProfileAlpha(i)) << i;
        EXPECT_EQ(newHighlight[i], ModeDial::NewHighlightAlpha(i)) << i;
        EXPECT_EQ(newProfile[i], ModeDial::NewProfileAlpha(i)) << i;
    }
    ModeDial& dial = View().Dial();
    ModeDial::Pictures& p = dial.Images();
    ASSERT_FALSE(p.pentagon.Empty());
    for (int frame : {0, 7, 15}) {
        SCOPED_TRACE(frame);
        lumo::TBitmap composed, expected;
        dial.ComposeFrame(2, 4, frame, composed);
        expected.Assign(p.pentagon);
        ReferenceBlend(expected, p.line, 255);
        ReferenceBlend(expected, p.profile[2], oldProfile[frame]);
        ReferenceBlend(expected, p.highlight[4], newHighlight[frame]);
        ReferenceBlend(expected, p.profile[4], newProfile[frame]);
        ReferenceBlend(expected, p.mask, 255);
        EXPECT_TRUE(SamePixels(expected, composed));
    }
    // The last frame is the steady chart of the new mode.
    lumo::TBitmap last, steady;
    dial.ComposeFrame(2, 4, 15, last);
    dial.ComposeSteady(4, steady);
    EXPECT_TRUE(SamePixels(steady, last));
}

TEST_F(ModeDialTest, ClicksDuringAndJustAfterTheAnimationAreLost)
{
    tv::TMainView& view = View();
    ShowView();
    std::vector<int> requested;
    view.OnModeButton = [&](int mode) { requested.push_back(mode); };
    HWND form = view.Handle();
    HWND button = view.AutoButton->Handle();
    int disabledFrames = 0;
    view.Dial().OnFrame = [&](int) { disabledFrames += IsWindowEnabled(form) ? 0 : 1; };

    // Clicks keep coming until 60 ms after the window is enabled again.
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::thread clicker([&] {
        bool sawDisabled = false;
        DWORD enabledAt = 0;
        while (!stop) {
            const bool enabled = IsWindowEnabled(form) != FALSE;
            sawDisabled = sawDisabled || !enabled;
            if (sawDisabled && enabled && !enabledAt) {
                enabledAt = GetTickCount();
            }
            if (enabledAt && GetTickCount() - enabledAt > 60) {
                break;
            }
            formstest::PostClick(button, 10, 10);
            ++posted;
            Sleep(15);
        }
    });
    const DWORD start = GetTickCount();
    view.Dial().Animate(2, 4);
    const DWORD elapsed = GetTickCount() - start;
    stop = true;
    clicker.join();
    PumpFor(100);
    EXPECT_GT(posted.load(), 50);
    EXPECT_TRUE(requested.empty()) << requested.size() << " clicks got through";
    EXPECT_EQ(16, disabledFrames);
    EXPECT_GE(elapsed, 1650u) << "16 frames of 100 ms and 100 ms of dropped input";
    EXPECT_TRUE(IsWindowEnabled(form));
    EXPECT_EQ(4, view.Dial().DrawnIndex());

    formstest::PostClick(button, 10, 10);
    PumpFor(100);
    EXPECT_EQ((std::vector<int>{0x8000}), requested) << "a click afterwards counts";
}

} // namespace
