// dialoggallery.exe FOLDER [LANGID]: every dialog window in the states worth looking at, each
// saved as FOLDER\<name>.png. Ends with 0 when every picture was written.
#include "lumo/Forms/Forms.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "shell/base/Translate.h"
#include "tools/gallery/Screenshot.h"
#include "views/CoverDialog.h"
#include "views/CpuForm.h"
#include "views/ProgressDialog.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace lumo;

namespace {

// The main window as far as the cover sees it: a form cut out of the main background.
class TMainStandIn : public TForm
{
public:
    LUMO_CLASS_NAME(TMainStandIn)
    explicit TMainStandIn(TComponent* owner) : TForm(owner)
    {
        SetBorderStyle(TFormBorderStyle::bsNone);
        SetScaled(false);
        Background = new TImage(this);
        Background->SetName("Background");
        Background->SetParent(this);
        SetView(false);
        Shaper.Attach(Background);
    }
    ~TMainStandIn() override { Shaper.Detach(); }
    void SetView(bool small)
    {
        tv::TSkinDialog::LoadArt(Background->Picture(),
                                 small ? skinart::kSmallBk : skinart::kLargeBk);
        Shaper.Reapply();
    }
    TImage* Background;
    TLayeredFormMaker Shaper;
};

void Settle(TApplication& app, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        app.ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Park()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

class Shots
{
public:
    Shots(TApplication& app, std::string folder) : m_app(app), m_folder(std::move(folder)) {}

    // Shows form (unless shown already), saves the screen under window's rectangle, hides it.
    void Take(TForm& form, const std::string& name, HWND area = nullptr)
    {
        form.Show();
        Settle(m_app, 250);
        form.Repaint();
        Settle(m_app, 150);
        TBitmap picture;
        const std::string path = m_folder + name + ".png";
        if (!gallery::CaptureWindow(area ? area : form.Handle(), picture) ||
            !gallery::SavePicture(picture, path)) {
            std::fprintf(stderr, "dialoggallery: cannot save %s\n", path.c_str());
            m_failed = true;
        }
        form.Hide();
        Settle(m_app, 50);
    }
    bool Failed() const { return m_failed; }

private:
    TApplication& m_app;
    std::string m_folder;
    bool m_failed = false;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2) {
        std::fprintf(stderr, "usage: dialoggallery FOLDER [LANGID]\n");
        return 2;
    }
    std::string folder = __argv[1];
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    const LANGID language =
        static_cast<LANGID>(__argc > 2 ? std::strtoul(__argv[2], nullptr, 16) : 0x0409);
    const tv::Translator translator(lumo::ProgramDirectory() + "LangFiles\\");
    const tv::TextLookup lookup = [&](const char* key) {
        return translator.Translate(language, key);
    };
    try {
        TApplication app;
        app.SetTitle("Dialogs");
        auto* main = app.CreateForm<TMainStandIn>();
        auto* cover = app.CreateForm<tv::TCoverDialog>();
        auto* progress = app.CreateForm<tv::TProgressDialog>();
        auto* universal = app.CreateForm<tv::TUniversalDialog>();
        auto* vga = app.CreateForm<tv::TVgaForm>();
        auto* cpu = app.CreateForm<tv::TCpuForm>();
        for (tv::TSkinDialog* dialog : std::vector<tv::TSkinDialog*>{progress, vga, cpu}) {
            dialog->ApplyTexts(lookup);
        }
        Park();
        Shots shots(app, folder);

        const char* const notices[] = {"BackToDefault", "CanNotRunUnderBiosOc",
                                       "CanNotRunUnderApOc", "ConflictOptiSuite",
                                       "CanNotRunUnderVoltTurn"};
        for (const char* key : notices) {
            universal->SetMessage(lookup(key));
            universal->SetLeftButton(false, "");
            universal->SetRightCaption(lookup("OK"));
            shots.Take(*universal, std::string("notice-") + key);
        }
        const char* const offers[] = {"FirstRunQEM-4", "SetToAutoCalibrate",
                                      "CalibrateAfterSetting", "InformCalibration"};
        for (const char* key : offers) {
            universal->SetMessage(lookup(key));
            universal->SetLeftButton(true, lookup("Calibrate"));
            universal->SetRightCaption(lookup("Exit"));
            shots.Take(*universal, std::string("offer-") + key);
        }
        universal->SetMessage(lookup("ChangeSetting"));
        universal->SetLeftButton(true, lookup("Yes"));
        universal->SetRightCaption(lookup("No"));
        shots.Take(*universal, "question-ChangeSetting");
        universal->SetMessage(lookup("SetToHighPerformanceBeforeExit") + "\n" +
                              lookup("AreYouSure"));
        shots.Take(*universal, "question-Exit");

        progress->SetDuration(1000000);
        progress->Show();
        progress->DrawBar(60);
        shots.Take(*progress, "progress-60");
        progress->Show();
        progress->DrawBar(100);
        shots.Take(*progress, "progress-100");

        shots.Take(*vga, "vga");
        vga->Show();
        Settle(app, 100);
        const RECT link = vga->Hyperlink().BoundsRect();
        const POINT over = vga->ClientToScreen(POINT{link.left + 20, (link.top + link.bottom) / 2});
        SetCursorPos(over.x, over.y);
        Settle(app, 200);
        shots.Take(*vga, "vga-hover");
        Park();

        shots.Take(*cpu, "cpu");

        main->SetBounds(60, 40, main->Width(), main->Height());
        cover->Prepare(*main, *main->Background);
        for (bool small : {false, true}) {
            main->SetView(small);
            main->Show();
            Settle(app, 150);
            cover->Show();
            shots.Take(*main, small ? "cover-small" : "cover-large");
            cover->Hide();
        }
        return shots.Failed() ? 1 : 0;
    } catch (const Exception& e) {
        TApplication::ShowExceptionMessage(e, "Dialogs");
        return 2;
    }
}
