// The settings flow on the simulated board: the profiles taken or put back, the voltage items the
// board gets (journal), the question, the mode applied again, the registry afterwards.
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "shell/DialogFlow.h"
#include "shell/MainForm.h"
#include "shell/SettingsFlow.h"
#include "shell/base/RegistrySchema.h"
#include "shell/base/Translate.h"
#include "views/UniversalDialog.h"
#include "sim/board/Board.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/Support.h"
#include "views/DigitRow.h"

#include <algorithm>

using settingstest::AdvanceValue;
using settingstest::HardwareJournal;
using tv::TAdvancedSetting;
using Strings = std::vector<std::string>;

namespace {

constexpr DWORD kAbsent = 0xDEADBEEF;
// How the voltage question is answered.
enum class Answer
{
    None, // no question expected
    Yes,
    No
};

class SettingsFlowTest : public settingstest::SettingsTest
{
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        m_universal = new tv::TUniversalDialog(m_app.get());
        m_universal->OnShow = [this](lumo::TObject*) {
            ++m_questions;
            // A question nobody expected is declined at once rather than left waiting.
            if (!m_questionExpected) {
                m_universal->SetModalResult(2);
            }
        };
        tv::DialogForms forms;
        forms.universal = m_universal;
        tv::DialogFlow::Instance().SetForms(forms);
        m_monitor = &tv::CpuPowerMonitor::Instance();
        m_monitor->ApplyMode(2, true);
        ASSERT_TRUE(m_monitor->WaitForModeThread(20000));
        simboard::ClearJournal();
    }
    void TearDown() override
    {
        EXPECT_TRUE(m_monitor->WaitForModeThread(20000));
        tv::DialogFlow::Instance().SetForms(tv::DialogForms{});
        SettingsTest::TearDown();
    }

    // The flow as the setting button runs it, with the steps run in the window and the voltage
    // question answered by a click on its button.
    int RunFlow(std::vector<Step> steps, Answer answer)
    {
        m_questionExpected = answer != Answer::None;
        if (answer != Answer::None) {
            steps.push_back(Step{
                [this] { return m_universal->IsModal() && IsWindowVisible(m_universal->Handle()); },
                [this, answer] {
                    EXPECT_EQ(m_universal->Message(), tv::Translate("ChangeSetting"));
                    EXPECT_EQ(m_universal->LeftButton().GetText(), "Yes");
                    EXPECT_EQ(m_universal->RightButton().GetText(), "No");
                    ClickControl(answer == Answer::Yes ? m_universal->LeftButton()
                                                       : m_universal->RightButton());
                }});
        }
        Schedule(std::move(steps));
        m_window->MakeTopmost();
        int result = tv::RunSettingsFlow();
        EXPECT_TRUE(StepsDone());
        EXPECT_TRUE(m_monitor->WaitForModeThread(20000));
        return result;
    }
    // Chooses an item of a drop-down of the Max power saving tab and confirms.
    std::vector<Step> EditLowTab(TAdvancedSetting::DropDown which, int index)
    {
        return {WhenShown([this, which, index] {
            ClickControl(m_window->Tab(3));
            ChooseWithPointer(m_window->DropDownAt(which), index);
            ClickControl(m_window->OkButton());
        })};
    }
    static int32_t BankValue(uint32_t item, int bank)
    {
        simboard::ItemState state;
        EXPECT_TRUE(simboard::GetItemState(item, &state));
        return state.bankValues[bank];
    }
    // The voltage items of profiles 0, 2 and 3 as the store sends them (family F).
    static Strings Pushes(int32_t turbo[2], int32_t medium[2], int32_t low[2])
    {
        Strings calls;
        int bank = 0;
        for (int32_t* values : {turbo, medium, low}) {
            calls.push_back("OptiGear OptiGearSetItem(0x0B060010, " + std::to_string(bank) + ")");
            calls.push_back("OptiGear OptiGearSetItem(0x0B060023, " + std::to_string(values[0]) +
                            ")");
            calls.push_back("OptiGear OptiGearSetItem(0x0B060021, " + std::to_string(values[1]) +
                            ")");
            bank = bank == 0 ? 2 : 3;
        }
        return calls;
    }

    tv::TUniversalDialog* m_universal = nullptr;
    tv::CpuPowerMonitor* m_monitor = nullptr;
    int m_questions = 0;
    bool m_questionExpected = false;
};

TEST_F(SettingsFlowTest, ASpinDownChangeIsAppliedAndSavedWithoutAQuestion)
{
    EXPECT_EQ(RunFlow(EditLowTab(TAdvancedSetting::kSpinDown, 4), Answer::None),
              TAdvancedSetting::kConfirmed);
    EXPECT_EQ(m_questions, 0);
    int32_t turbo[2] = {0, 0}, medium[2] = {1, 1}, low[2] = {2, 2};
    Strings expected = Pushes(turbo, medium, low);
    // Max power saving applied again with its new spin-down time.
    expected.push_back("OptiGear OptiGearSetLevel(2)");
    expected.push_back("KdSpindownTimeout KdSetSpindownTimeout(0x384)");
    Strings calls = HardwareJournal();
    EXPECT_EQ(Strings(calls.begin(), calls.begin() + std::min(calls.size(), expected.size())),
              expected);
    EXPECT_EQ(AdvanceValue("SpinDownTimeout_Low"), 900u);
    EXPECT_EQ(AdvanceValue("SpinDownTimeout_Auto"), 900u) << "Auto takes the shortest time";
    EXPECT_EQ(AdvanceValue("vCore_Low"), 2u);
    EXPECT_EQ(AdvanceValue(tv::reg::kCalibrationNeeded), kAbsent);
}

TEST_F(SettingsFlowTest, ADeclinedVoltageChangePutsTheBackupsBack)
{
    EXPECT_EQ(RunFlow(EditLowTab(TAdvancedSetting::kVCore, 0), Answer::No),
              TAdvancedSetting::kConfirmedWithVoltageChange);
    EXPECT_EQ(m_questions, 1);
    int32_t turbo[2] = {0, 0}, medium[2] = {1, 1}, low[2] = {2, 2}, edited[2] = {0, 2};
    // The edit reaches the board, then the backups; the mode is not applied again.
    Strings expected = Pushes(turbo, medium, edited);
    Strings restored = Pushes(turbo, medium, low);
    expected.insert(expected.end(), restored.begin(), restored.end());
    EXPECT_EQ(HardwareJournal(), expected);
    EXPECT_EQ(BankValue(0x0B060023, 3), 2);
    EXPECT_EQ(BankValue(0x0B060021, 3), 2);
    EXPECT_EQ(tv::AdvanceSettings::Instance().GetProfile(3).vCore, 2);
    EXPECT_EQ(AdvanceValue("vCore_Low"), 2u);
    EXPECT_EQ(AdvanceValue(tv::reg::kCalibrationNeeded), kAbsent);
}

TEST_F(SettingsFlowTest, AnAcceptedVoltageChangeNeedsACalibration)
{
    EXPECT_EQ(RunFlow(EditLowTab(TAdvancedSetting::kVCore, 0), Answer::Yes),
              TAdvancedSetting::kConfirmedWithVoltageChange);
    EXPECT_EQ(m_questions, 1);
    int32_t turbo[2] = {0, 0}, medium[2] = {1, 1}, edited[2] = {0, 2};
    Strings expected = Pushes(turbo, medium, edited);
    expected.push_back("OptiGear OptiGearSetLevel(2)");
    Strings calls = HardwareJournal();
    EXPECT_EQ(Strings(calls.begin(), calls.begin() + std::min(calls.size(), expected.size())),
              expected);
    EXPECT_EQ(BankValue(0x0B060023, 3), 0);
    EXPECT_EQ(AdvanceValue("vCore_Low"), 0u);
    EXPECT_EQ(AdvanceValue(tv::reg::kCalibrationNeeded), 1u);
}

TEST_F(SettingsFlowTest, CancelChangesNothingAndTheNextShowStartsFromTheStore)
{
    EXPECT_EQ(RunFlow({WhenShown([&] {
                          ClickControl(m_window->Tab(3));
                          ChooseWithPointer(m_window->DropDownAt(TAdvancedSetting::kVCore), 0);
                          ClickControl(m_window->CancelButton());
                      })},
                      Answer::None),
              TAdvancedSetting::kCancelled);
    EXPECT_EQ(m_questions, 0);
    EXPECT_EQ(HardwareJournal(), Strings{});
    EXPECT_EQ(AdvanceValue("vCore_Low"), 2u);
    // The next show starts from the store: the cancelled edit is no voltage change now.
    EXPECT_EQ(RunFlow(EditLowTab(TAdvancedSetting::kSpinDown, 4), Answer::None),
              TAdvancedSetting::kConfirmed);
    EXPECT_EQ(m_questions, 0);
    EXPECT_EQ(AdvanceValue("vCore_Low"), 2u);
}

// The main window's energy figures draw from glyphs loaded once per process: loaded before the
// GDI objects are counted.
class MainWindowSettingsTest : public SettingsFlowTest
{
protected:
    void SetUp() override
    {
        tv::DigitGlyphs::Instance();
        SettingsFlowTest::SetUp();
    }
};

TEST_F(MainWindowSettingsTest, TheSettingButtonRunsTheFlow)
{
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    auto* main = m_app->CreateForm<tv::TMainForm>();
    main->Start(false);
    ASSERT_TRUE(m_monitor->WaitForModeThread(20000));
    main->ShowMainWindow();
    ASSERT_TRUE(main->MoreSettingButton->Visible());
    simboard::ClearJournal();
    m_questionExpected = false;
    Schedule(EditLowTab(TAdvancedSetting::kSpinDown, 4));
    m_window->MakeTopmost();
    ClickControl(*main->MoreSettingButton);
    ASSERT_TRUE(PumpUntil([&] { return StepsDone() && !m_window->Visible(); }, 10000));
    EXPECT_TRUE(m_monitor->WaitForModeThread(20000));
    EXPECT_EQ(m_questions, 0);
    EXPECT_EQ(AdvanceValue("SpinDownTimeout_Low"), 900u);
    // The profiles reach the board, then High performance, the mode shown, is applied again.
    int32_t turbo[2] = {0, 0}, medium[2] = {1, 1}, low[2] = {2, 2};
    Strings expected = Pushes(turbo, medium, low);
    expected.push_back("OptiGear OptiGearSetLevel(0)");
    const Strings calls = HardwareJournal();
    EXPECT_EQ(Strings(calls.begin(), calls.begin() + std::min(calls.size(), expected.size())),
              expected);
}

} // namespace
