#include "shell/DialogFlow.h"

#include "lumo/System/Source/TraceLog.h"
#include "monitor/CalibrationStrategy.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/PowerGear.h"
#include "shell/base/Translate.h"
#include "views/CoverDialog.h"
#include "views/CpuForm.h"
#include "views/ProgressDialog.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

namespace tv {
namespace {

class ProgramFacts : public CalibrationFacts
{
public:
    bool IsTypeF000() override { return CpuPowerMonitor::Instance().IsTypeF000(); }
    bool CalibrationNeeded() override { return AdvanceSettings::Instance().CalibrationNeeded(); }
    bool IsCalibrated() override { return PowerGear::Instance().Thresholds().IsValid(); }
    void ClearCalibrationNeeded() override { AdvanceSettings::Instance().SetCalibrationNeeded(0); }
    CalibrationStrategy& Strategy() override
    {
        // The monitor installs the calibration environment the strategies work through.
        CpuPowerMonitor::Instance();
        return CalibrationStrategy::ForThisMachine();
    }
    bool WaitForModeChange(DWORD timeoutMs) override
    {
        return CpuPowerMonitor::Instance().WaitForModeThread(timeoutMs);
    }
};

// Shows the cover over the main window for its lifetime, when the main window is on screen.
class CoverScope
{
public:
    explicit CoverScope(TCoverDialog* cover)
    {
        if (cover && cover->Prepared() && cover->MainForm()->Showing() && !cover->Showing()) {
            m_cover = cover;
            m_cover->Show();
        }
    }
    ~CoverScope()
    {
        if (m_cover) {
            m_cover->Hide();
        }
    }
    CoverScope(const CoverScope&) = delete;
    CoverScope& operator=(const CoverScope&) = delete;

private:
    TCoverDialog* m_cover = nullptr;
};

} // namespace

DialogFlow& DialogFlow::Instance()
{
    static DialogFlow instance;
    return instance;
}

DialogFlow::DialogFlow() = default;

CalibrationFacts& DialogFlow::Facts()
{
    static ProgramFacts program;
    return m_facts ? *m_facts : program;
}

int DialogFlow::AskUniversal(const std::string& text, const char* leftCaption,
                             const std::string& rightCaption)
{
    TUniversalDialog* dialog = m_forms.universal;
    if (!dialog || dialog->Visible()) {
        TraceLog("~~~[DialogFlow] the generic dialog is %s: \"%s\" not asked",
                 dialog ? "showing already" : "missing", text.c_str());
        return kClose;
    }
    dialog->SetMessage(text);
    dialog->SetLeftButton(leftCaption != nullptr, leftCaption ? leftCaption : "");
    dialog->SetRightCaption(rightCaption);
    return dialog->ShowModal();
}

int DialogFlow::ShowNotice(const std::string& text)
{
    return AskUniversal(text, nullptr, Translate("OK"));
}

int DialogFlow::OfferFirstRun()
{
    return RunCalibration(Translate("FirstRunQEM-4"));
}

int DialogFlow::OfferAutoCalibration()
{
    return RunCalibration(Translate("SetToAutoCalibrate"));
}

int DialogFlow::NoticeBackToDefault()
{
    return ShowNotice(Translate("BackToDefault"));
}

int DialogFlow::AskChangeSetting()
{
    CoverScope cover(m_forms.cover);
    return AskUniversal(Translate("ChangeSetting"), Translate("Yes").c_str(), Translate("No"));
}

int DialogFlow::AskExit()
{
    // The exit question's two captions stay as they are in every language.
    return AskUniversal(Translate("SetToHighPerformanceBeforeExit") + "\n" +
                            Translate("AreYouSure"),
                        "Yes", "No");
}

int DialogFlow::CoveredCalibration(const char* key)
{
    CoverScope cover(m_forms.cover);
    return RunCalibration(Translate(key));
}

int DialogFlow::OfferCalibrateAfterSetting()
{
    return CoveredCalibration("CalibrateAfterSetting");
}

int DialogFlow::InformCalibration()
{
    return CoveredCalibration("InformCalibration");
}

int DialogFlow::ShowVgaNotice()
{
    TVgaForm* form = m_forms.vga;
    if (!form || form->Visible()) {
        TraceLog("~~~[DialogFlow] the graphics-card notice is %s",
                 form ? "showing already" : "missing");
        return kClose;
    }
    CoverScope cover(m_forms.cover);
    return form->ShowModal();
}

bool DialogFlow::IsBusy() const
{
    return (m_forms.universal && m_forms.universal->Visible()) ||
           (m_forms.progress && m_forms.progress->Visible());
}

int DialogFlow::AutoGate()
{
    CalibrationFacts& facts = Facts();
    const bool typeF000 = facts.IsTypeF000();
    if (!typeF000 && facts.CalibrationNeeded()) {
        return OfferCalibrateAfterSetting();
    }
    if (typeF000 || facts.IsCalibrated()) {
        return kLeft;
    }
    return OfferAutoCalibration();
}

int DialogFlow::RunCalibration(const std::string& text)
{
    if (m_forms.cpu) {
        m_forms.cpu->Hide();
    }
    const std::string exitCaption = Translate("Exit");
    const int answer = AskUniversal(text, Translate("Calibrate").c_str(), exitCaption);
    if (answer != kLeft) {
        return answer;
    }
    TProgressDialog* progress = m_forms.progress;
    if (!progress || progress->Visible()) {
        TraceLog("~~~[DialogFlow] the progress dialog is %s: no calibration",
                 progress ? "showing already" : "missing");
        return kClose;
    }
    CalibrationFacts& facts = Facts();
    CalibrationStrategy& strategy = facts.Strategy();
    progress->SetMessage(Translate("Calibrating, please wait..."));
    progress->SetStepCount(strategy.StepCount());
    progress->SetDuration(static_cast<unsigned>(strategy.DurationMs()));
    progress->OnStep = [&strategy](int step) { strategy.Step(step); };

    strategy.Begin();
    const int result = progress->ShowModal();
    progress->OnStep = nullptr;
    const bool completed = result == kLeft;
    if (completed) {
        strategy.Finish();
        facts.ClearCalibrationNeeded();
    } else {
        strategy.Cancel();
    }
    // The level comes back on a mode thread and only the tray hears of its end: the caller shows
    // the mode in force once we return, which must be that level, not High performance of the
    // run.
    if (!facts.WaitForModeChange(CpuPowerMonitor::kModeWaitMs)) {
        TraceLog("~~~[DialogFlow] the level before the calibration is not back after %lu ms",
                 CpuPowerMonitor::kModeWaitMs);
    }
    TraceLog("~~~[DialogFlow] calibration %s", completed ? "completed" : "cancelled");
    return result;
}

} // namespace tv
