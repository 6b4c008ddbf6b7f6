// The main controller's dialogs: notices, questions and the calibration, as the dialog flow
// runs them; the settings flow; the black screen of the idle doze.
#include "shell/MainForm.h"

#include "lumo/System/Source/TraceLog.h"

namespace tv {

bool TMainForm::DialogsBusy() const
{
    return false;
}

void TMainForm::ShowNotice(const std::string& text)
{
    TraceLog("~~~[TMainForm] notice: %s", text.c_str());
}

void TMainForm::OfferFirstRun() {}

void TMainForm::NoticeBackToDefault() {}

int TMainForm::AskExit()
{
    return 1;
}

int TMainForm::AutoGate()
{
    return 1;
}

void TMainForm::InformCalibration() {}

void TMainForm::ShowCardNotice() {}

void TMainForm::RunSettings() {}

void TMainForm::StartBlackScreen() {}

} // namespace tv
