// The cover over the main window: a dimmed copy of the main background in both views, owned by
// the main window, placed on it, keyed and translucent like it, and on screen exactly its shape.
#include "tests/views/DialogTestSupport.h"
#include "views/CoverDialog.h"
#include "views/SkinDialog.h"
#include "views/UniversalDialog.h"

namespace {

// What the cover sees of the main window: a form cut out of the main background.
class TMainStandIn : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TMainStandIn)
    explicit TMainStandIn(lumo::TComponent* owner) : lumo::TForm(owner)
    {
        SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        SetScaled(false);
        Background = new lumo::TImage(this);
        Background->SetParent(this);
        SetView(false);
        Shaper.Attach(Background);
        SetBounds(90, 70, Width(), Height());
    }
    ~TMainStandIn() override { Shaper.Detach(); }
    void SetView(bool small)
    {
        ASSERT_TRUE(tv::TSkinDialog::LoadArt(Background->Picture(),
                                             small ? skinart::kSmallBk : skinart::kLargeBk));
        Shaper.Reapply();
    }
    lumo::TImage* Background;
    lumo::TLayeredFormMaker Shaper;
};

class CoverTest : public dialogtest::DialogTest
{};

// The screen under a window's rectangle.
std::unique_ptr<lumo::TBitmap> ScreenOf(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    auto shot = std::make_unique<lumo::TBitmap>(rect.right - rect.left, rect.bottom - rect.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot->Canvas().Handle(), 0, 0, shot->Width(), shot->Height(), screen, rect.left,
           rect.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return shot;
}

TEST_F(CoverTest, DimmedCopyOfEitherViewOverTheMainWindowInItsShape)
{
    auto* main = m_app->CreateForm<TMainStandIn>();
    auto* cover = m_app->CreateForm<tv::TCoverDialog>();
    cover->Prepare(*main, *main->Background);
    EXPECT_EQ(GetWindow(cover->Handle(), GW_OWNER), main->Handle());
    const lumo::TColor key = 0xFF00FF;
    const lumo::TColor dim = tv::TCoverDialog::kCoverColor;

    for (bool small : {false, true}) {
        SCOPED_TRACE(small ? "small view" : "large view");
        main->SetView(small);
        main->Show();
        cover->Show();
        ASSERT_TRUE(dialogtest::PumpUntil([&] { return IsWindowVisible(cover->Handle()); }));
        dialogtest::PumpFor(150);
        cover->Repaint();
        dialogtest::PumpFor(100);

        EXPECT_EQ(cover->Left(), main->Left());
        EXPECT_EQ(cover->Top(), main->Top());
        const lumo::TBitmap& picture = main->Background->Picture();
        const lumo::TBitmap& copy = cover->Background().Picture();
        ASSERT_EQ(cover->ClientWidth(), picture.Width());
        ASSERT_EQ(cover->ClientHeight(), picture.Height());
        ASSERT_EQ(copy.Width(), picture.Width());
        ASSERT_EQ(copy.Height(), picture.Height());
        COLORREF shownKey = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(cover->Handle(), &shownKey, &alpha, &flags));
        EXPECT_EQ(static_cast<lumo::TColor>(shownKey), key);
        EXPECT_EQ(alpha, tv::TCoverDialog::kCoverAlpha);
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));

        // Pixel for pixel: the copy keeps the key where the main background has it and is the
        // cover's colour everywhere else; so does the screen (this display has no compositor,
        // so the constant alpha does not blend), and where the key cuts the cover away the main
        // window is cut away too: the desktop shows.
        int copyWrong = 0;
        int shown = 0;
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = 0; x < picture.Width(); ++x) {
                const bool inside = picture.PixelColor(x, y) != key;
                shown += inside ? 1 : 0;
                copyWrong += copy.PixelColor(x, y) != (inside ? dim : key) ? 1 : 0;
            }
        }
        EXPECT_EQ(copyWrong, 0);
        // Polled: a loaded machine may take a while to paint. The order of the two windows is
        // the other test's business; a late activation of the main window may raise it here.
        int screenWrong = -1;
        const DWORD started = GetTickCount();
        dialogtest::PumpUntil(
            [&] {
                if (screenWrong > 0 && GetTickCount() - started > 2000) {
                    SetWindowPos(cover->Handle(), HWND_TOP, 0, 0, 0, 0,
                                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                    cover->Repaint();
                }
                const std::unique_ptr<lumo::TBitmap> screen = ScreenOf(cover->Handle());
                screenWrong = 0;
                for (int y = 0; y < picture.Height(); ++y) {
                    for (int x = 0; x < picture.Width(); ++x) {
                        const bool inside = picture.PixelColor(x, y) != key;
                        screenWrong += (screen->PixelColor(x, y) == dim) != inside ? 1 : 0;
                    }
                }
                return screenWrong == 0;
            },
            10000);
        EXPECT_EQ(screenWrong, 0);
        EXPECT_GT(shown, picture.Width() * picture.Height() / 2);
        cover->Hide();
        main->Hide();
    }
}

// The main window's shape, outside the rectangle of the dialog in front, as the screen shows it:
// the pixels that are not the cover's colour.
int UncoveredPixels(TMainStandIn& main, HWND dialog)
{
    RECT front;
    GetWindowRect(dialog, &front);
    const lumo::TBitmap& picture = main.Background->Picture();
    const lumo::TColor key = picture.PixelColor(0, picture.Height() - 1);
    const std::unique_ptr<lumo::TBitmap> screen = ScreenOf(main.Handle());
    int uncovered = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const POINT at = {main.Left() + x, main.Top() + y};
            if (picture.PixelColor(x, y) != key && !PtInRect(&front, at) &&
                screen->PixelColor(x, y) != tv::TCoverDialog::kCoverColor) {
                ++uncovered;
            }
        }
    }
    return uncovered;
}

// The dialogs the cover precedes come and go in front of it (a calibration's question, then its
// progress): each one closing hands the activation back to the main window, and the cover stays
// over it.
TEST_F(CoverTest, StaysOverTheMainWindowWhileDialogsInFrontComeAndGo)
{
    auto* main = m_app->CreateForm<TMainStandIn>();
    auto* cover = m_app->CreateForm<tv::TCoverDialog>();
    auto* dialog = m_app->CreateForm<tv::TUniversalDialog>();
    cover->Prepare(*main, *main->Background);
    main->Show();
    ASSERT_TRUE(dialogtest::PumpUntil([&] { return dialogtest::Foremost(*main); }));
    cover->Show();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        dialogtest::Script script;
        script.When(*dialog, "the dialog", [&] { dialogtest::Click(dialog->RightButton()); });
        EXPECT_EQ(dialog->ShowModal(), 2);
        EXPECT_TRUE(script.Done()) << script.GaveUpAt();
        int uncovered = -1;
        EXPECT_TRUE(dialogtest::PumpUntil(
            [&] { return (uncovered = UncoveredPixels(*main, dialog->Handle())) == 0; }, 3000))
            << uncovered << " pixels of the main window show";
    }
    cover->Hide();
}

TEST_F(CoverTest, UnpreparedCoverNeverShows)
{
    auto* cover = m_app->CreateForm<tv::TCoverDialog>();
    cover->Show();
    dialogtest::PumpFor(50);
    EXPECT_FALSE(cover->Visible());
    EXPECT_FALSE(IsWindowVisible(cover->Handle()));
}

} // namespace
