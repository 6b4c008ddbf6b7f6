// The dialog flow with its real windows: what each question and notice shows (text, captions,
// the left button, the cover) and what its answers return; a calibration from the question
// through the timed steps to its end, completed or cancelled; the Auto gate's three ways; a
// dialog asked for while it is already showing.
#include "monitor/CalibrationStrategy.h"
#include "shell/DialogFlow.h"
#include "shell/base/Translate.h"
#include "tests/calibration/RecordingEnvironment.h"
#include "tests/views/DialogTestSupport.h"
#include "views/CoverDialog.h"
#include "views/CpuForm.h"
#include "views/ProgressDialog.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

namespace {

using dialogtest::Script;
using Strings = std::vector<std::string>;

// Two phases in 100 steps of 10 ms, the load from the second phase on.
const tv::CalibrationShape kShortShape = {
    "short",
    100,
    2,
    1,
    tv::CalibrationLoad::Primary,
    false,
    {"NormLow", "PowerSavingLow", nullptr, nullptr, nullptr, nullptr}};

class ShortStrategy : public tv::CalibrationStrategy
{
public:
    explicit ShortStrategy(calibtest::RecordingEnvironment& environment)
        : tv::CalibrationStrategy(kShortShape), m_environment(environment)
    {}
    int DurationMs() const override { return 1000; }
    void Step(int n) override
    {
        m_environment.step = n;
        tv::CalibrationStrategy::Step(n);
    }
    void ComputeThresholds() override { Store(10, 20, 30); }

private:
    calibtest::RecordingEnvironment& m_environment;
};

class FakeFacts : public tv::CalibrationFacts
{
public:
    FakeFacts(tv::CalibrationStrategy& strategy, calibtest::RecordingEnvironment& environment)
        : m_strategy(strategy), m_environment(environment)
    {}
    bool IsTypeF000() override { return typeF000; }
    bool CalibrationNeeded() override { return needed; }
    bool IsCalibrated() override { return calibrated; }
    void ClearCalibrationNeeded() override { ++cleared; }
    tv::CalibrationStrategy& Strategy() override { return m_strategy; }
    bool WaitForModeChange(DWORD) override
    {
        m_environment.events.push_back(std::to_string(m_environment.step) +
                                       ": mode change awaited");
        return true;
    }

    bool typeF000 = false;
    bool needed = false;
    bool calibrated = false;
    int cleared = 0;

private:
    tv::CalibrationStrategy& m_strategy;
    calibtest::RecordingEnvironment& m_environment;
};

// The main window as the cover sees it: a plain shown form with a Background picture.
class TMainStandIn : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TMainStandIn)
    explicit TMainStandIn(lumo::TComponent* owner) : lumo::TForm(owner)
    {
        SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        Background = new lumo::TImage(this);
        Background->SetParent(this);
        Background->Picture().SetSize(300, 200);
        Background->SetAutoSize(true);
        SetBounds(40, 40, 300, 200);
    }
    lumo::TImage* Background;
};

// What the generic dialog showed when the script found it up.
struct Seen
{
    std::string message;
    bool leftShown = false;
    std::string left;
    std::string right;
    bool covered = false;
    bool busy = false;
};

class DialogFlowTest : public dialogtest::DialogTest
{
protected:
    void SetUp() override
    {
        dialogtest::DialogTest::SetUp();
        m_main = m_app->CreateForm<TMainStandIn>();
        m_forms.cover = m_app->CreateForm<tv::TCoverDialog>();
        m_forms.progress = m_app->CreateForm<tv::TProgressDialog>();
        m_forms.universal = m_app->CreateForm<tv::TUniversalDialog>();
        m_forms.vga = m_app->CreateForm<tv::TVgaForm>();
        m_forms.cpu = m_app->CreateForm<tv::TCpuForm>();
        m_forms.cover->Prepare(*m_main, *m_main->Background);
        m_main->Show();
        m_flow.SetForms(m_forms);
        m_flow.SetFacts(&m_facts);
        m_environment.gearLevel = 2;
    }

    // The script step that reads the generic dialog, then answers with act.
    void Answer(Script& script, std::function<void()> act)
    {
        script.When(*m_forms.universal, "the generic dialog", [this, act] {
            tv::TUniversalDialog& dialog = *m_forms.universal;
            m_seen.push_back(Seen{dialog.Message(), dialog.LeftButton().Visible(),
                                  dialog.LeftButton().GetText(), dialog.RightButton().GetText(),
                                  m_forms.cover->Showing(), m_flow.IsBusy()});
            act();
        });
    }
    static std::function<void()> Key(WORD key)
    {
        return [key] { dialogtest::PressKey(key); };
    }

    TMainStandIn* m_main = nullptr;
    tv::DialogForms m_forms;
    calibtest::RecordingEnvironment m_environment;
    ShortStrategy m_strategy{m_environment};
    FakeFacts m_facts{m_strategy, m_environment};
    tv::DialogFlow m_flow;
    std::vector<Seen> m_seen;
};

TEST_F(DialogFlowTest, QuestionsAndNoticesShowTheirTextsAndReturnTheAnswer)
{
    const std::string yes = tv::Translate("Yes");
    const std::string no = tv::Translate("No");
    const std::string calibrate = tv::Translate("Calibrate");
    const std::string exit = tv::Translate("Exit");
    const std::string ok = tv::Translate("OK");
    struct Case
    {
        const char* what;
        std::function<int()> call;
        WORD key;
        int result;
        std::string message;
        bool leftShown;
        std::string left;
        std::string right;
        bool covered;
    };
    const Case cases[] = {
        {"ShowNotice", [&] { return m_flow.ShowNotice("A notice"); }, VK_RETURN, 2, "A notice",
         false, "", ok, false},
        {"NoticeBackToDefault", [&] { return m_flow.NoticeBackToDefault(); }, VK_ESCAPE, 2,
         tv::Translate("BackToDefault"), false, "", ok, false},
        {"AskChangeSetting yes", [&] { return m_flow.AskChangeSetting(); }, VK_RETURN, 1,
         tv::Translate("ChangeSetting"), true, yes, no, true},
        {"AskChangeSetting no", [&] { return m_flow.AskChangeSetting(); }, VK_ESCAPE, 2,
         tv::Translate("ChangeSetting"), true, yes, no, true},
        {"AskExit", [&] { return m_flow.AskExit(); }, VK_ESCAPE, 2,
         tv::Translate("SetToHighPerformanceBeforeExit") + "\n" + tv::Translate("AreYouSure"), true,
         "Yes", "No", false},
        {"OfferFirstRun", [&] { return m_flow.OfferFirstRun(); }, VK_ESCAPE, 2,
         tv::Translate("FirstRunQEM-4"), true, calibrate, exit, false},
        {"OfferAutoCalibration", [&] { return m_flow.OfferAutoCalibration(); }, VK_ESCAPE, 2,
         tv::Translate("SetToAutoCalibrate"), true, calibrate, exit, false},
        {"OfferCalibrateAfterSetting", [&] { return m_flow.OfferCalibrateAfterSetting(); },
         VK_ESCAPE, 2, tv::Translate("CalibrateAfterSetting"), true, calibrate, exit, true},
        {"InformCalibration", [&] { return m_flow.InformCalibration(); }, VK_ESCAPE, 2,
         tv::Translate("InformCalibration"), true, calibrate, exit, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_forms.cpu->Show();
        m_seen.clear();
        Script script;
        Answer(script, Key(c.key));
        EXPECT_EQ(c.call(), c.result);
        EXPECT_TRUE(script.Done()) << script.GaveUpAt();
        ASSERT_EQ(m_seen.size(), 1u);
        const Seen& seen = m_seen[0];
        EXPECT_EQ(seen.message, c.message);
        EXPECT_NE(seen.message, tv::kMissingText);
        EXPECT_EQ(seen.leftShown, c.leftShown);
        if (c.leftShown) {
            EXPECT_EQ(seen.left, c.left);
        }
        EXPECT_EQ(seen.right, c.right);
        EXPECT_EQ(seen.covered, c.covered);
        EXPECT_TRUE(seen.busy);
        EXPECT_FALSE(m_forms.cover->Visible());
        EXPECT_FALSE(m_flow.IsBusy());
        if (c.left == calibrate) {
            EXPECT_FALSE(m_forms.cpu->Visible()) << "a calibration offer hides the CPU details";
        }
        m_forms.cpu->Hide();
    }
    // No offer answered with Exit began a calibration.
    EXPECT_TRUE(m_environment.events.empty());

    // The graphics-card notice, behind the cover.
    bool covered = false;
    Script script;
    script.When(*m_forms.vga, "the graphics-card notice", [&] {
        covered = m_forms.cover->Showing();
        dialogtest::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(m_flow.ShowVgaNotice(), 2);
    EXPECT_TRUE(covered);
    EXPECT_FALSE(m_forms.cover->Visible());
}

TEST_F(DialogFlowTest, CompletedCalibrationRunsEveryStepBetweenBeginAndFinish)
{
    bool coveredWhileRunning = false;
    std::string progressMessage;
    Script script;
    Answer(script, Key(VK_RETURN));
    script.When(*m_forms.progress, "the progress dialog", [&] {
        coveredWhileRunning = m_forms.cover->Showing();
        progressMessage = m_forms.progress->MessageLabel().Caption();
    });
    EXPECT_EQ(m_flow.InformCalibration(), 1);
    EXPECT_TRUE(script.Done()) << script.GaveUpAt();
    EXPECT_TRUE(coveredWhileRunning);
    EXPECT_FALSE(m_forms.cover->Visible());
    EXPECT_EQ(progressMessage, tv::Translate("Calibrating, please wait..."));
    EXPECT_EQ(m_forms.progress->StepCount(), 100);
    EXPECT_EQ(m_forms.progress->Duration(), 1000u);
    EXPECT_EQ(m_facts.cleared, 1) << "CalibrationNeeded cleared";

    const std::string threads = std::to_string(std::max(m_environment.processors, 4));
    EXPECT_EQ(
        m_environment.events,
        (Strings{"0: EnergyTimer off", "0: Calibration_Flag 1", "0: GearLevel",
                 "0: ApplyMode(0, 0)", "49: ApplyMode(2, 0)",
                 "49: StartLoad(Primary, " + threads + ")", "99: ApplyMode(0, 0)", "100: StopLoad",
                 "100: StoreThresholds(10, 20, 30) after the record", "100: ApplyMode(2, 0)",
                 "100: Calibration_Flag 0", "100: EnergyTimer on", "100: mode change awaited"}));
    EXPECT_EQ(m_environment.samplesTaken, 60);
}

TEST_F(DialogFlowTest, CancelledCalibrationRestoresWithoutThresholdsAndStepsNoMore)
{
    Script script;
    Answer(script, Key(VK_RETURN));
    script.Then(
        "step 30",
        [&] {
            return m_forms.progress->Visible() && m_environment.step >= 30 &&
                   dialogtest::Foremost(*m_forms.progress);
        },
        [] { dialogtest::PressKey(VK_ESCAPE); });
    EXPECT_EQ(m_flow.OfferFirstRun(), 2);
    const int lastStep = m_environment.step;
    dialogtest::PumpFor(100);
    EXPECT_EQ(m_environment.step, lastStep) << "a step after the cancel";
    EXPECT_LT(lastStep, 100);
    EXPECT_EQ(m_facts.cleared, 0) << "CalibrationNeeded left as it was";
    const Strings& events = m_environment.events;
    ASSERT_GE(events.size(), 5u);
    const std::string at = std::to_string(lastStep) + ": ";
    EXPECT_EQ(Strings(events.end() - 5, events.end()),
              (Strings{at + "StopLoad", at + "ApplyMode(2, 0)", at + "Calibration_Flag 0",
                       at + "EnergyTimer on", at + "mode change awaited"}));
    for (const std::string& event : events) {
        EXPECT_EQ(event.find("StoreThresholds"), std::string::npos) << event;
    }
}

TEST_F(DialogFlowTest, AutoGateAsksOnlyWhenAutoIsNotReady)
{
    int asked = 0;
    m_forms.universal->OnShow = [&](lumo::TObject*) { ++asked; };

    // Calibrated, or a board that needs none: Auto at once, even with changed settings on the
    // latter.
    m_facts.calibrated = true;
    EXPECT_EQ(m_flow.AutoGate(), 1);
    m_facts.calibrated = false;
    m_facts.typeF000 = true;
    m_facts.needed = true;
    EXPECT_EQ(m_flow.AutoGate(), 1);
    EXPECT_EQ(asked, 0);

    // Settings changed since the calibration: a new one is offered behind the cover, also on a
    // calibrated board; Exit keeps Auto off.
    m_facts.typeF000 = false;
    m_facts.calibrated = true;
    Script script;
    Answer(script, Key(VK_ESCAPE));
    EXPECT_EQ(m_flow.AutoGate(), 2);
    // Never calibrated: the offer to calibrate; completing it lets Auto be applied.
    m_facts.needed = false;
    m_facts.calibrated = false;
    Answer(script, Key(VK_ESCAPE));
    EXPECT_EQ(m_flow.AutoGate(), 2);
    Answer(script, Key(VK_RETURN));
    EXPECT_EQ(m_flow.AutoGate(), 1);
    EXPECT_TRUE(script.Done()) << script.GaveUpAt();
    ASSERT_EQ(m_seen.size(), 3u);
    EXPECT_EQ(m_seen[0].message, tv::Translate("CalibrateAfterSetting"));
    EXPECT_TRUE(m_seen[0].covered);
    EXPECT_EQ(m_seen[1].message, tv::Translate("SetToAutoCalibrate"));
    EXPECT_FALSE(m_seen[1].covered);
    EXPECT_EQ(m_facts.cleared, 1);
}

TEST_F(DialogFlowTest, ADialogAlreadyShowingIsNotAskedAgainAndMissingFormsAnswerTwo)
{
    int nested = -1;
    Script script;
    script.When(*m_forms.universal, "the first question", [&] {
        nested = m_flow.ShowNotice("again");
        dialogtest::PressKey(VK_RETURN);
    });
    EXPECT_EQ(m_flow.AskExit(), 1);
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(m_forms.universal->Message(),
              tv::Translate("SetToHighPerformanceBeforeExit") + "\n" + tv::Translate("AreYouSure"));

    tv::DialogFlow bare;
    EXPECT_EQ(bare.ShowNotice("no forms"), 2);
    EXPECT_EQ(bare.ShowVgaNotice(), 2);
    EXPECT_FALSE(bare.IsBusy());
}

} // namespace
