#pragma once
// The one object that asks the user questions, shows notices and runs a calibration: each
// operation shows its dialog modally (behind the cover where the table says so) and returns the
// modal result it ended with: 1 for the left button (or a completed calibration), 2 for the
// right button, the close button, Escape or a cancelled calibration. All on the GUI thread.
#include <windows.h>
#include <string>

namespace tv {

class CalibrationStrategy;
class TCoverDialog;
class TCpuForm;
class TProgressDialog;
class TUniversalDialog;
class TVgaForm;

// The forms the flow shows; made at start-up, alive until the application ends.
struct DialogForms
{
    TUniversalDialog* universal = nullptr;
    TProgressDialog* progress = nullptr;
    TCoverDialog* cover = nullptr;
    TVgaForm* vga = nullptr;
    TCpuForm* cpu = nullptr;
};

// What the Auto gate and a calibration need to know of the board and the settings.
class CalibrationFacts
{
public:
    virtual ~CalibrationFacts() = default;
    // The controller type is 0xF000: Auto needs no calibration there.
    virtual bool IsTypeF000() = 0;
    // "CalibrationNeeded" is 1 (the settings changed since the last calibration).
    virtual bool CalibrationNeeded() = 0;
    // The power-gear facade holds calibrated thresholds.
    virtual bool IsCalibrated() = 0;
    // Writes "CalibrationNeeded" 0.
    virtual void ClearCalibrationNeeded() = 0;
    // The calibration strategy of this machine.
    virtual CalibrationStrategy& Strategy() = 0;
    // Waits (at most timeoutMs) until the mode changes requested so far have taken effect;
    // false on time-out.
    virtual bool WaitForModeChange(DWORD timeoutMs) = 0;
};

class DialogFlow
{
public:
    static constexpr int kLeft = 1;
    static constexpr int kClose = 2;

    // Created on first use, lives until the process ends.
    static DialogFlow& Instance();

    DialogFlow();
    DialogFlow(const DialogFlow&) = delete;
    DialogFlow& operator=(const DialogFlow&) = delete;

    void SetForms(const DialogForms& forms) { m_forms = forms; }
    const DialogForms& Forms() const { return m_forms; }
    // Null: the program's own answers (power monitor, settings store, power-gear facade).
    void SetFacts(CalibrationFacts* facts) { m_facts = facts; }

    // The generic dialog with text and one button, "OK".
    int ShowNotice(const std::string& text);
    // RunCalibration with "FirstRunQEM-4".
    int OfferFirstRun();
    // RunCalibration with "SetToAutoCalibrate"; 1 lets Auto be applied.
    int OfferAutoCalibration();
    // The notice "BackToDefault".
    int NoticeBackToDefault();
    // Behind the cover: "ChangeSetting" with Yes and No; 1 applies the changed settings.
    int AskChangeSetting();
    // "SetToHighPerformanceBeforeExit" and "AreYouSure" with Yes and No; 2 cancels the exit.
    int AskExit();
    // Behind the cover: RunCalibration with "CalibrateAfterSetting"; 1 lets Auto be applied.
    int OfferCalibrateAfterSetting();
    // Behind the cover: RunCalibration with "InformCalibration".
    int InformCalibration();
    // Behind the cover: the graphics-card notice.
    int ShowVgaNotice();
    // The generic dialog or the progress dialog is visible.
    bool IsBusy() const;

    // Before Auto is applied from a mode button: 1 lets it be applied (calibrated already, type
    // 0xF000, or calibrated right now); anything else leaves the mode as it was.
    int AutoGate();

    // Asks with text (Calibrate / Exit); on Calibrate runs the machine's calibration under the
    // progress dialog and returns once the level in force before it is back, so that the view
    // shows it. The progress dialog's result (1 completed, 2 cancelled), or the question's when
    // it was not answered with Calibrate.
    int RunCalibration(const std::string& text);

private:
    CalibrationFacts& Facts();
    // The generic dialog, modal; 2 without one (or when it is showing already).
    int AskUniversal(const std::string& text, const char* leftCaption,
                     const std::string& rightCaption);
    // RunCalibration behind the cover.
    int CoveredCalibration(const char* key);

    DialogForms m_forms;
    CalibrationFacts* m_facts = nullptr;
};

} // namespace tv
