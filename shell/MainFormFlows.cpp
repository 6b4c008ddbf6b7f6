// The main controller's dialogs: notices, questions and the calibration as the dialog flow runs
// them; the black screen of the idle doze; the settings.
#include "shell/MainForm.h"

#include "shell/DialogFlow.h"
#include "shell/SettingsFlow.h"
#include "views/BlackScreenController.h"

namespace tv {

bool TMainForm::DialogsBusy() const
{
    return DialogFlow::Instance().IsBusy();
}

void TMainForm::ShowNotice(const std::string& text)
{
    DialogFlow::Instance().ShowNotice(text);
}

void TMainForm::OfferFirstRun()
{
    DialogFlow::Instance().OfferFirstRun();
    // A calibration re-applies the level it found; the view shows what is in force now.
    ShowCurrentMode();
}

void TMainForm::NoticeBackToDefault()
{
    DialogFlow::Instance().NoticeBackToDefault();
}

int TMainForm::AskExit()
{
    return DialogFlow::Instance().AskExit();
}

int TMainForm::AutoGate()
{
    return DialogFlow::Instance().AutoGate();
}

void TMainForm::InformCalibration()
{
    DialogFlow::Instance().InformCalibration();
    ShowCurrentMode();
}

void TMainForm::ShowCardNotice()
{
    DialogFlow::Instance().ShowVgaNotice();
}

void TMainForm::StartBlackScreen()
{
    BlackScreenController::Instance().Enter();
}

void TMainForm::RunSettings()
{
    RunSettingsFlow();
}

} // namespace tv
