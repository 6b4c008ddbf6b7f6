// The advanced settings window on the simulated board: tabs, lists, defaults, the doze rule, the
// drop panels under real pointer and key input, and the window's result.
#include "assets/art/SkinArt.h"
#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/Kd/KdRadioButton.h"
#include "power/AdvanceSettings.h"
#include "sim/board/Board.h"
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/settings/SettingsTestSupport.h"

using settingstest::SettingsTest;
using tv::SkinComboBox;
using tv::TAdvancedSetting;
using Strings = std::vector<std::string>;

namespace {

constexpr int kTwentyMinutes = 5; // "After 20 mins" in the full list

class AdvancedSettingTest : public SettingsTest
{
protected:
    SkinComboBox& Drop(TAdvancedSetting::DropDown which) { return m_window->DropDownAt(which); }
    // The value and state of each drop-down of the tab on show, "text/enabled".
    std::string State(TAdvancedSetting::DropDown which)
    {
        return Drop(which).Text() + (Drop(which).Enabled() ? "/on" : "/off");
    }
};

TEST_F(AdvancedSettingTest, HighPerformanceShowsTheVoltageAndFanChoicesOffAndDisabled)
{
    const int result = RunShown({WhenShown([&] {
        EXPECT_EQ(m_window->CurrentTab(), 1);
        EXPECT_TRUE(m_window->Tab(1).GetChecked());
        EXPECT_FALSE(m_window->Tab(0).Visible());
        EXPECT_FALSE(m_window->Tab(2).Visible());
        EXPECT_EQ(State(TAdvancedSetting::kVCore), "OFF/off");
        EXPECT_EQ(State(TAdvancedSetting::kLoadLine), "OFF/off");
        EXPECT_EQ(State(TAdvancedSetting::kFan), "Keep BIOS Setting/off");
        EXPECT_EQ(Drop(TAdvancedSetting::kVCore).Items(), Strings{"OFF"});
        EXPECT_EQ(Drop(TAdvancedSetting::kFan).Items(), Strings{"Keep BIOS Setting"});
        EXPECT_EQ(Drop(TAdvancedSetting::kVCore).TextColor(), SkinComboBox::kDisabledTextColor);
        EXPECT_FALSE(Drop(TAdvancedSetting::kVCore).ArrowButton().Enabled());
        // The Normal profile never spins down nor dozes by default.
        EXPECT_EQ(State(TAdvancedSetting::kSpinDown), "Never/on");
        EXPECT_EQ(State(TAdvancedSetting::kDoze), "Never/on");
        EXPECT_EQ(Drop(TAdvancedSetting::kSpinDown).TextColor(), SkinComboBox::kTextColor);
        // Family F: the second voltage item is the north bridge's.
        EXPECT_EQ(Drop(TAdvancedSetting::kLoadLine).Caption(), "VDDNB Voltage Downgrade");
        EXPECT_EQ(Drop(TAdvancedSetting::kDoze).Caption(), "Turn off screen");
        EXPECT_TRUE(Drop(TAdvancedSetting::kFan).Visible());
        // A press on a disabled drop-down opens nothing.
        ClickControl(Drop(TAdvancedSetting::kVCore).ValuePanel());
        EXPECT_EQ(SkinComboBox::OpenOne(), nullptr);

        ClickControl(m_window->Tab(3));
        EXPECT_EQ(m_window->CurrentTab(), 3);
        EXPECT_EQ(State(TAdvancedSetting::kVCore), "Heavy/on");
        EXPECT_EQ(State(TAdvancedSetting::kLoadLine), "Heavy/on");
        EXPECT_EQ(State(TAdvancedSetting::kFan), "Quiet/on");
        EXPECT_EQ(Drop(TAdvancedSetting::kVCore).Items(), (Strings{"Small", "Medium", "Heavy"}));
        EXPECT_EQ(Drop(TAdvancedSetting::kFan).Items(), (Strings{"Keep BIOS Setting", "Quiet"}));
        EXPECT_EQ(State(TAdvancedSetting::kSpinDown), "After 20 mins/on");
        // The hidden Medium tab offers the slow fan.
        m_window->ShowTab(2);
        EXPECT_EQ(State(TAdvancedSetting::kFan), "Keep BIOS Setting/on");
        EXPECT_EQ(Drop(TAdvancedSetting::kFan).Items(), (Strings{"Keep BIOS Setting", "Slow"}));
        EXPECT_EQ(State(TAdvancedSetting::kVCore), "Medium/on");
        ClickControl(m_window->CloseButton());
    })});
    EXPECT_EQ(result, TAdvancedSetting::kCancelled);

    // Another family: the load line, and a board without K-Fan hides the fan choice.
    ASSERT_TRUE(simboard::Reset("7000", nullptr));
    ASSERT_TRUE(simboard::SetField(simboard::Field::IsKFanThreeSupported, 0));
    RunShown({WhenShown([&] {
        EXPECT_EQ(Drop(TAdvancedSetting::kLoadLine).Caption(), "CPU Loadline");
        EXPECT_FALSE(Drop(TAdvancedSetting::kFan).Visible());
        EXPECT_FALSE(Drop(TAdvancedSetting::kFan).CaptionLabel().Visible());
        Key(VK_ESCAPE);
    })});
}

TEST_F(AdvancedSettingTest, DefaultOnMaxPowerSavingPutsTheTabsDefaultsBack)
{
    tv::ModeProfile edited;
    const int result = RunShown({WhenShown([&] {
        ClickControl(m_window->Tab(3));
        ChooseWithPointer(Drop(TAdvancedSetting::kSpinDown), 14); // "Never"
        ChooseWithPointer(Drop(TAdvancedSetting::kDoze), 0);      // "After 1 min"
        ChooseWithPointer(Drop(TAdvancedSetting::kFan), 0);       // "Keep BIOS Setting"
        ChooseWithPointer(Drop(TAdvancedSetting::kVCore), 0);     // "Small"
        edited = m_window->WorkingProfile(3);
        ClickControl(m_window->RestoreButton());
        EXPECT_EQ(Drop(TAdvancedSetting::kSpinDown).Text(), "After 20 mins");
        EXPECT_EQ(Drop(TAdvancedSetting::kDoze).Text(), "After 20 mins");
        EXPECT_EQ(Drop(TAdvancedSetting::kFan).Text(), "Quiet");
        // The voltage steps the board's bank 3 had when the monitor started.
        EXPECT_EQ(Drop(TAdvancedSetting::kVCore).Text(), "Heavy");
        ClickControl(m_window->OkButton());
    })});
    EXPECT_EQ(edited.spinDownTimeout, 0);
    EXPECT_EQ(edited.optiDozeIdleTimeout, 60000);
    EXPECT_EQ(edited.fan, 0);
    EXPECT_EQ(edited.vCore, 0);
    // Back at the defaults, the voltages equal the stored ones: a plain confirmation.
    EXPECT_EQ(result, TAdvancedSetting::kConfirmed);
    EXPECT_EQ(m_window->WorkingProfile(3), tv::AdvanceSettings::Instance().ProfileDefaults(3));
}

TEST_F(AdvancedSettingTest, WithoutScreenOffOrDozeWindowTheDozeListIsTheRedNotice)
{
    m_forceNoScreenOff = true;
    const Strings notice = {"KALDO Opti Suite required"};
    tv::ModeProfile edited;
    RunShown({WhenShown([&] {
        EXPECT_FALSE(m_window->DozeAvailable());
        EXPECT_EQ(Drop(TAdvancedSetting::kDoze).Caption(), "Opti Doze idle time");
        for (int tab : {1, 3, 0, 2}) {
            m_window->ShowTab(tab);
            EXPECT_EQ(Drop(TAdvancedSetting::kDoze).Items(), notice) << tab;
            EXPECT_EQ(State(TAdvancedSetting::kDoze), notice[0] + "/off") << tab;
            EXPECT_EQ(Drop(TAdvancedSetting::kDoze).TextColor(),
                      static_cast<lumo::TColor>(skinart::kWarningOnPanel));
        }
        ClickControl(m_window->Tab(3));
        ChooseWithPointer(Drop(TAdvancedSetting::kSpinDown), kTwentyMinutes + 1);
        edited = m_window->WorkingProfile(3);
        ClickControl(m_window->OkButton());
    })});
    // The notice is no choice: the stored idle time survives the other edits.
    EXPECT_EQ(edited.optiDozeIdleTimeout, 1200000);
    EXPECT_EQ(edited.spinDownTimeout, 1500);

    // The suite's doze utility makes the times usable; the caption stays the doze one.
    simpeer::PeerWindow doze;
    ASSERT_TRUE(
        doze.Start(TAdvancedSetting::kDozeWindowClass, TAdvancedSetting::kDozeWindowTitle, false));
    RunShown({WhenShown([&] {
        EXPECT_TRUE(m_window->DozeAvailable());
        EXPECT_EQ(Drop(TAdvancedSetting::kDoze).Items().size(), 15u);
        EXPECT_EQ(State(TAdvancedSetting::kDoze), "Never/on");
        EXPECT_EQ(Drop(TAdvancedSetting::kDoze).TextColor(), SkinComboBox::kTextColor);
        ClickControl(m_window->Tab(3));
        EXPECT_EQ(State(TAdvancedSetting::kDoze), "After 20 mins/on");
        ClickControl(m_window->CancelButton());
    })});
}

TEST_F(AdvancedSettingTest, APanelClosesOnAPressElsewhereAndOnDeactivation)
{
    simpeer::PeerWindow other;
    RunShown({WhenShown([&] {
        SkinComboBox& spinDown = Drop(TAdvancedSetting::kSpinDown);
        SkinComboBox& doze = Drop(TAdvancedSetting::kDoze);
        ClickControl(spinDown.ArrowButton());
        ASSERT_TRUE(spinDown.DroppedDown());
        EXPECT_EQ(SkinComboBox::OpenOne(), &spinDown);
        EXPECT_EQ(GetFocus(), spinDown.List().ListHandle()) << "the list takes the keys";
        // Its own arrow closes it again; the value panel opens it.
        ClickControl(spinDown.ArrowButton());
        EXPECT_FALSE(spinDown.DroppedDown());
        ClickControl(spinDown.ValuePanel());
        ASSERT_TRUE(spinDown.DroppedDown());
        // A press on another part of the window.
        ClickControl(Drop(TAdvancedSetting::kLoadLine).CaptionLabel());
        EXPECT_FALSE(spinDown.DroppedDown());
        EXPECT_EQ(GetFocus(), spinDown.ArrowButton().Handle()) << "the focus goes back";
        // Another drop-down's arrow: one panel at a time.
        ClickControl(spinDown.ArrowButton());
        ClickControl(doze.ArrowButton());
        EXPECT_FALSE(spinDown.DroppedDown());
        EXPECT_TRUE(doze.DroppedDown());
        // The focus on its own arrow keeps the panel open.
        doze.ArrowButton().SetFocus();
        PumpFor(50);
        ASSERT_TRUE(doze.DroppedDown());
        // Another program's window comes to the front.
        ASSERT_TRUE(other.Start("PeerOther", "Other utility", true));
        SetForegroundWindow(other.Window());
        EXPECT_TRUE(PumpUntil([&] { return !doze.DroppedDown(); }, 3000))
            << "the panel stays open after the deactivation";
        EXPECT_EQ(SkinComboBox::OpenOne(), nullptr);
        // Nothing was chosen meanwhile.
        EXPECT_EQ(spinDown.Text(), "Never");
        EXPECT_EQ(doze.Text(), "Never");
        other.Stop();
        SetForegroundWindow(m_window->Handle());
        ClickControl(m_window->CancelButton());
    })});
}

TEST_F(AdvancedSettingTest, KeysOpenAndChooseAndEscapeClosesThePanelBeforeTheWindow)
{
    const int result = RunShown({WhenShown([&] {
        ClickControl(m_window->Tab(3));
        SkinComboBox& spinDown = Drop(TAdvancedSetting::kSpinDown);
        spinDown.ArrowButton().SetFocus();
        Key(VK_DOWN, true);
        ASSERT_TRUE(spinDown.DroppedDown()) << "Alt+Down opens";
        Key(VK_DOWN);
        Key(VK_DOWN);
        EXPECT_EQ(spinDown.Text(), "After 20 mins") << "moving the highlight chooses nothing";
        Key(VK_RETURN);
        EXPECT_FALSE(spinDown.DroppedDown());
        EXPECT_EQ(spinDown.Text(), "After 30 mins");
        EXPECT_EQ(m_window->WorkingProfile(3).spinDownTimeout, 1800);

        Key(VK_UP);
        ASSERT_TRUE(spinDown.DroppedDown()) << "an arrow key opens";
        Key(VK_UP);
        Key(VK_UP, true);
        EXPECT_FALSE(spinDown.DroppedDown()) << "Alt+Up chooses";
        EXPECT_EQ(spinDown.Text(), "After 25 mins");

        Key(VK_F4);
        ASSERT_TRUE(spinDown.DroppedDown());
        Key(VK_DOWN);
        Key(VK_ESCAPE);
        EXPECT_FALSE(spinDown.DroppedDown());
        EXPECT_EQ(spinDown.Text(), "After 25 mins") << "Escape chooses nothing";
        EXPECT_TRUE(m_window->IsModal()) << "the first Escape only closes the panel";
        Key(VK_ESCAPE);
    })});
    EXPECT_EQ(result, TAdvancedSetting::kCancelled);

    // Enter on a closed drop-down confirms, as in any dialog.
    EXPECT_EQ(RunShown({WhenShown([&] {
                  EXPECT_TRUE(m_window->OkButton().Focused()) << "OK has the focus first";
                  Drop(TAdvancedSetting::kDoze).ArrowButton().SetFocus();
                  Key(VK_RETURN);
              })}),
              TAdvancedSetting::kConfirmed);
}

TEST_F(AdvancedSettingTest, ScreenshotsOfBothTabsWithAPanelOpen)
{
    // The panel's list and its highlighted item, where the screen shows the panel.
    // Polled: a loaded machine may take a while to paint.
    auto panelOnScreen = [&](SkinComboBox& dropDown) {
        return PumpUntil(
            [&] {
                lumo::TBitmap picture;
                Capture(picture);
                RECT panel = dropDown.DropPanel().BoundsRect();
                return formstest::CountColor(picture, panel, SkinComboBox::kListColor) > 1000 &&
                       formstest::CountColor(picture, panel, SkinComboBox::kSelectedColor) > 500;
            },
            5000);
    };
    RunShown({WhenShown([&] {
                  SkinComboBox& spinDown = Drop(TAdvancedSetting::kSpinDown);
                  OpenWithPointer(spinDown);
                  EXPECT_TRUE(panelOnScreen(spinDown));
                  Screenshot("advanced-high");
              }),
              Then([&] {
                  ClickControl(m_window->Tab(3));
                  SkinComboBox& vCore = Drop(TAdvancedSetting::kVCore);
                  OpenWithPointer(vCore);
                  EXPECT_TRUE(panelOnScreen(vCore));
                  Screenshot("advanced-low");
                  ClickControl(m_window->CancelButton());
              })});
}

} // namespace
