// The generic dialog, the graphics-card notice and the CPU details under the user's hands: Enter
// presses the focused or else the default button, Escape closes with 2, held keys from an earlier
// window do nothing, the pointer on buttons and on the link; every text of the generic dialog
// fits its body in English and German.
#include "lumo/System/Source/ProgramDir.h"
#include "shell/base/Translate.h"
#include "tests/views/DialogTestSupport.h"
#include "views/CpuForm.h"
#include "views/UniversalDialog.h"
#include "views/VgaForm.h"

namespace {

using dialogtest::Script;

class DialogKeysTest : public dialogtest::DialogTest
{};

// The window with the keyboard focus holds Enter from a press that began before it showed.
void HeldEnter()
{
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x401C0001);
}

TEST_F(DialogKeysTest, GenericDialogByKeysAndPointer)
{
    auto* dialog = m_app->CreateForm<tv::TUniversalDialog>();
    dialog->SetMessage("Calibrate now?");
    dialog->SetRightCaption("Exit");
    struct Case
    {
        const char* what;
        bool left;
        std::function<void()> act;
        int result;
    };
    const Case cases[] = {
        {"Enter presses the left button", true, [] { dialogtest::PressKey(VK_RETURN); }, 1},
        {"Escape", true, [] { dialogtest::PressKey(VK_ESCAPE); }, 2},
        {"Enter with the right button alone", false, [] { dialogtest::PressKey(VK_RETURN); }, 2},
        {"Tab to the right button, Enter", true,
         [] {
             dialogtest::PressKey(VK_TAB);
             dialogtest::PressKey(VK_RETURN);
         },
         2},
        {"a held Enter, then Escape", true,
         [] {
             HeldEnter();
             dialogtest::PressKey(VK_ESCAPE);
         },
         2},
        {"the close button", true, [&] { dialogtest::Click(dialog->CloseButton()); }, 2},
        {"the left button", true, [&] { dialogtest::Click(dialog->LeftButton()); }, 1},
        {"the right button", true, [&] { dialogtest::Click(dialog->RightButton()); }, 2},
    };
    for (const Case& c : cases) {
        dialog->SetLeftButton(c.left, "Calibrate");
        Script script;
        script.When(*dialog, c.what, c.act);
        EXPECT_EQ(dialog->ShowModal(), c.result) << c.what;
        EXPECT_TRUE(script.Done()) << script.GaveUpAt();
        EXPECT_FALSE(dialog->Visible());
        dialogtest::Park();
    }
    EXPECT_EQ(dialog->DefaultButton(), &dialog->LeftButton());
}

TEST_F(DialogKeysTest, GraphicsCardNoticeLinkAndKeys)
{
    auto* notice = m_app->CreateForm<tv::TVgaForm>();
    std::vector<std::string> opened;
    notice->OpenAddress = [&](const std::string& address) {
        opened.push_back(address);
        return true;
    };
    lumo::TLabel& link = notice->Hyperlink();
    std::vector<lumo::TColor> colours;
    const auto colour = [&] { colours.push_back(link.Font().Color()); };
    const auto moveOver = [&](lumo::TControl& control, int x, int y) {
        return [&, x, y] { dialogtest::MoveTo(control, x, y); };
    };

    Script script;
    script.When(*notice, "notice shown", [&] {
        colour();
        dialogtest::MoveTo(link, 10, link.Height() / 2);
    });
    script.Then(
        "over the link", [&] { return notice->LinkHovered(); },
        [&] {
            colour();
            moveOver(notice->TextLabel(), 30, 10)();
        });
    script.Then(
        "over the text", [&] { return !notice->LinkHovered(); },
        [&] {
            colour();
            moveOver(link, 40, link.Height() / 2)();
        });
    script.Then(
        "over the link again", [&] { return notice->LinkHovered(); },
        [&] {
            colour();
            moveOver(notice->Background(), 200, 160)();
        });
    script.Then(
        "over the background", [&] { return !notice->LinkHovered(); },
        [&] {
            colour();
            moveOver(link, 40, link.Height() / 2)();
        });
    script.Then(
        "hovered before the click", [&] { return notice->LinkHovered(); },
        [&] { dialogtest::Click(link); });
    EXPECT_EQ(notice->ShowModal(), 1);
    EXPECT_TRUE(script.Done()) << script.GaveUpAt();
    EXPECT_EQ(opened, std::vector<std::string>{tv::kSupportPageAddress});
    EXPECT_EQ(colours,
              (std::vector<lumo::TColor>{tv::TVgaForm::kLinkColor, tv::TVgaForm::kLinkHoverColor,
                                         tv::TVgaForm::kLinkColor, tv::TVgaForm::kLinkHoverColor,
                                         tv::TVgaForm::kLinkColor}));

    // Shown again: the link's colour is back, Exit is the default, Escape closes.
    dialogtest::Park();
    script.When(*notice, "shown again", [&] {
        colour();
        dialogtest::PressKey(VK_RETURN);
    });
    EXPECT_EQ(notice->ShowModal(), 2);
    EXPECT_EQ(colours.back(), tv::TVgaForm::kLinkColor);
    script.When(*notice, "Escape", [] { dialogtest::PressKey(VK_ESCAPE); });
    EXPECT_EQ(notice->ShowModal(), 2);
    script.When(*notice, "Exit clicked", [&] { dialogtest::Click(notice->ExitButton()); });
    EXPECT_EQ(notice->ShowModal(), 2);
    EXPECT_TRUE(script.Done()) << script.GaveUpAt();
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(DialogKeysTest, CpuDetailsRefreshOnShowAndHideByExitCloseAndKeys)
{
    auto* details = m_app->CreateForm<tv::TCpuForm>();
    int refreshes = 0;
    details->OnRefresh = [&](lumo::TObject*) {
        // Before the window appears, so the figures are new when it does.
        EXPECT_FALSE(IsWindowVisible(details->Handle()));
        ++refreshes;
    };
    const std::function<void()> ways[] = {
        [&] { dialogtest::Click(details->ExitButton()); },
        [&] { dialogtest::Click(details->CloseButton()); },
        [&] { dialogtest::PressKey(VK_ESCAPE, details); },
        [&] { dialogtest::PressKey(VK_RETURN, details); },
    };
    int way = 0;
    for (const auto& hide : ways) {
        details->Show();
        ASSERT_TRUE(dialogtest::PumpUntil(
            [&] { return IsWindowVisible(details->Handle()) && dialogtest::Foremost(*details); }));
        dialogtest::PumpFor(50);
        hide();
        EXPECT_TRUE(dialogtest::PumpUntil([&] { return !details->Visible(); })) << "way " << way;
        dialogtest::Park();
        ++way;
    }
    EXPECT_EQ(refreshes, 4);
}

TEST_F(DialogKeysTest, EveryGenericTextFitsTheBodyInEnglishAndGerman)
{
    auto* dialog = m_app->CreateForm<tv::TUniversalDialog>();
    const tv::Translator translator(lumo::ProgramDirectory() + "LangFiles\\");
    const char* const keys[] = {"FirstRunQEM-4",         "SetToAutoCalibrate",
                                "BackToDefault",         "ChangeSetting",
                                "CalibrateAfterSetting", "InformCalibration",
                                "CanNotRunUnderBiosOc",  "CanNotRunUnderApOc",
                                "ConflictOptiSuite",     "CanNotRunUnderVoltTurn"};
    for (LANGID language : {LANGID(0x0409), LANGID(0x0407)}) {
        std::vector<std::string> texts;
        for (const char* key : keys) {
            texts.push_back(translator.Translate(language, key));
        }
        texts.push_back(translator.Translate(language, "SetToHighPerformanceBeforeExit") + "\n" +
                        translator.Translate(language, "AreYouSure"));
        // Longer than any of them: smaller, centred, still inside the body.
        texts.push_back(texts[0] + " " + texts[1]);
        for (const std::string& text : texts) {
            ASSERT_NE(text, tv::kMissingText);
            dialog->SetMessage(text);
            lumo::TLabel& label = dialog->MessageLabel();
            const RECT box = label.BoundsRect();
            RECT needed = {0, 0, box.right - box.left, 0};
            lumo::WindowDC screen(nullptr);
            lumo::TCanvas canvas(screen.Get());
            canvas.Font().Assign(label.Font());
            canvas.DrawText(text, needed, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
            EXPECT_LE(needed.bottom, box.bottom - box.top) << text;
            EXPECT_GE(box.top, 31) << text;
            EXPECT_LE(std::min<long>(box.bottom, box.top + needed.bottom), 99) << text;
            EXPECT_GE(-label.Font().Height(), 10) << text;
        }
    }
}

} // namespace
