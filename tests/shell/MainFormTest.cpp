// The main form in-process on the simulated board: peer commands, the start operation, the
// boot restore driven by firing its timer, and a mode button that cancels the restore.
#include "lumo/Forms/Application.h"
#include "power/PowerGearSelection.h"
#include "shell/MainForm.h"
#include "shell/base/PeerMessages.h"
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "tests/support/Support.h"
#include "views/ModeDial.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using simboard::Library;

class MainFormTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        tv::SelectPowerGearImplementation(0);
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        // No first-run offer: the dialogs are tested elsewhere.
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
        m_app = std::make_unique<lumo::TApplication>();
        m_main = m_app->CreateForm<tv::TMainForm>();
        m_mark = simboard::LastSequence();
    }
    void TearDown() override
    {
        m_app.reset();
        CleanRegistryTest::TearDown();
    }
    void Pump()
    {
        for (int i = 0; i < 5; ++i) {
            m_app->ProcessMessages();
            Sleep(5);
        }
    }
    // Handles messages until the call shows in the journal.
    bool WaitForCall(const std::string& call)
    {
        return tvtest::WaitUntil(
            [&] {
                m_app->ProcessMessages();
                return simboard::ReadJournal(m_mark)
                    .Find(Library::OptiGear, call, m_mark)
                    .has_value();
            },
            10000);
    }

    std::unique_ptr<lumo::TApplication> m_app;
    tv::TMainForm* m_main = nullptr;
    uint32_t m_mark = 0;
};

TEST_F(MainFormTest, IsFoundByClassAndCaptionAndStartsHidden)
{
    EXPECT_EQ(m_main->Handle(), FindWindowA("TMainForm", "Hexavolt"));
    EXPECT_FALSE(IsWindowVisible(m_main->Handle()));
    EXPECT_EQ(lumo::TFormBorderStyle::bsNone, m_main->BorderStyle());
    EXPECT_FALSE(m_main->Scaled());
    EXPECT_EQ(665, m_main->ClientWidth());
    EXPECT_EQ(522, m_main->ClientHeight());
    EXPECT_EQ(RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE"), m_main->BroadcastMessage());
    EXPECT_NE(0u, m_main->BroadcastMessage());
    EXPECT_FALSE(m_main->BackToDefaultPending());
    // A resize request keeps the background's size.
    SetWindowPos(m_main->Handle(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(665, m_main->ClientWidth());
}

TEST_F(MainFormTest, ShowCommandsNeedTheMarkerInTheLowByte)
{
    m_main->Start(false);
    HWND window = m_main->Handle();
    SendMessageA(window, tv::peer::kShowPeer, 86, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(window)) << "86 is no command";
    SendMessageA(window, tv::peer::kShowPeer, 0x5500, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(window)) << "85 in the high byte is no command";
    SendMessageA(window, tv::peer::kShowPeer, 0x1155, 0);
    Pump();
    EXPECT_TRUE(IsWindowVisible(window)) << "only the low byte is compared";
    m_main->Hide();
    SendMessageA(window, tv::peer::kShow, 85, 0);
    Pump();
    EXPECT_TRUE(IsWindowVisible(window));

    // Minimised and shown again; the own close and exit buttons only hide.
    SendMessageA(window, tv::peer::kMinimize, 85, 0);
    EXPECT_TRUE(m_app->IsMinimized());
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageA(window, tv::peer::kShowPeer, 85, 0);
    EXPECT_FALSE(m_app->IsMinimized());
    EXPECT_TRUE(IsWindowVisible(window));
    m_main->CloseButton->Click();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(m_app->Terminated());
    SendMessageA(m_app->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(m_app->Terminated()) << "closing the application window only hides";
}

TEST_F(MainFormTest, CloseCommandAndAltF4EndTheApplication)
{
    HWND window = m_main->Handle();
    m_main->Show();
    SendMessageA(window, tv::peer::kClose, 86, 0);
    EXPECT_FALSE(m_app->Terminated());
    SendMessageA(window, tv::peer::kClose, 85, 0);
    EXPECT_TRUE(m_app->Terminated());
    EXPECT_FALSE(IsWindowVisible(window)) << "hidden at once";
}

TEST_F(MainFormTest, BootRestoreRunsWhenItsTimerFires)
{
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 2));
    m_main->Start(true);
    EXPECT_TRUE(WaitForCall("OptiGearSetItem(0x0B060001, 0)"));
    ASSERT_TRUE(m_main->InitGearModeTimer().Enabled());
    EXPECT_EQ(60000u, m_main->InitGearModeTimer().Interval());
    int pending = -1;
    EXPECT_TRUE(m_main->PendingStartupMode(pending));
    EXPECT_EQ(2, pending);
    EXPECT_EQ(2, m_main->DisplayedMode()) << "the mode to come is shown";
    EXPECT_EQ(3, tv::TMainForm::TrayIconIndex(m_main->CurrentTrayState()));
    EXPECT_EQ(4, m_main->Dial().DrawnIndex());

    m_main->InitGearModeTimer().OnTimer(&m_main->InitGearModeTimer());
    EXPECT_FALSE(m_main->InitGearModeTimer().Enabled()) << "one shot";
    EXPECT_TRUE(WaitForCall("OptiGearSetLevel(2)"));
    EXPECT_FALSE(m_main->PendingStartupMode(pending));
}

TEST_F(MainFormTest, ModeButtonDuringTheFirstMinuteCancelsTheRestore)
{
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 2));
    m_main->Start(true);
    ASSERT_TRUE(m_main->InitGearModeTimer().Enabled());
    m_main->NormalButton->Click();
    EXPECT_FALSE(m_main->InitGearModeTimer().Enabled());
    EXPECT_TRUE(WaitForCall("OptiGearSetLevel(0)"));
    EXPECT_EQ(2, m_main->Dial().DrawnIndex()) << "animated to High performance";
    EXPECT_EQ(tv::ModeDial::GearLeft(2), m_main->Dial().Gear().Left());
    EXPECT_FALSE(simboard::ReadJournal(m_mark).Find(Library::OptiGear, "OptiGearSetLevel(2)"));
}

TEST_F(MainFormTest, CrashRecoveryFlagsAskForTheBackToDefaultNotice)
{
    m_app.reset();
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 1);
    m_app = std::make_unique<lumo::TApplication>();
    m_main = m_app->CreateForm<tv::TMainForm>();
    EXPECT_TRUE(m_main->BackToDefaultPending());
    EXPECT_EQ(0u, tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 7));
    EXPECT_EQ(0u, tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kCalibrationFlag, 7));
}

} // namespace
