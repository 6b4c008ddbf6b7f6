#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using formstest::TSampleForm;
using lumo::TForm;

class FormTest : public formstest::AppTest
{};

TEST_F(FormTest, WindowClassNameIsTheFormsClassName)
{
    auto* form = new TSampleForm(m_app.get());
    form->SetCaption("Sample caption");
    form->HandleNeeded();
    EXPECT_EQ(form->Handle(), FindWindowA("TSampleForm", "Sample caption"));
    char name[64] = "";
    GetClassNameA(form->Handle(), name, sizeof name);
    EXPECT_STREQ("TSampleForm", name);
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "forms start hidden";
    EXPECT_FALSE(form->Visible());

    form->SetCaption("Renamed");
    char text[64] = "";
    GetWindowTextA(form->Handle(), text, sizeof text);
    EXPECT_STREQ("Renamed", text);
    EXPECT_EQ(form, lumo::TWinControl::FromHandle(form->Handle()));
}

TEST_F(FormTest, BorderStyleNoneGivesAPopupWithoutFrame)
{
    auto* form = new TForm(m_app.get());
    form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    form->SetClientSize(120, 90);
    form->HandleNeeded();
    LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(120, form->Width()) << "no frame: window and client are the same";
    EXPECT_EQ(120, form->ClientWidth());
    EXPECT_EQ(90, form->ClientHeight());

    form->SetBorderStyle(lumo::TFormBorderStyle::bsSingle);
    style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    form->SetClientSize(120, 90);
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(120, client.right);
    EXPECT_EQ(90, client.bottom);
    EXPECT_GT(form->Width(), 120);
}

TEST_F(FormTest, ClientSizeSetBeforeTheWindowExistsHolds)
{
    auto* form = new TForm(m_app.get());
    form->SetBorderStyle(lumo::TFormBorderStyle::bsSingle);
    form->SetClientSize(200, 150);
    form->HandleNeeded();
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(200, client.right);
    EXPECT_EQ(150, client.bottom);
}

TEST_F(FormTest, PositionIsAppliedWhenFirstShown)
{
    auto* centred = new TForm(m_app.get());
    centred->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    centred->SetBounds(0, 0, 200, 100);
    centred->SetPosition(lumo::TPosition::poScreenCenter);
    centred->Show();
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 200) / 2, centred->Left());
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 100) / 2, centred->Top());
    RECT rect;
    GetWindowRect(centred->Handle(), &rect);
    EXPECT_EQ(centred->Left(), rect.left);

    // Moved by the user (or the program) it stays there when shown again.
    centred->SetBounds(10, 20, 200, 100);
    centred->Hide();
    centred->Show();
    EXPECT_EQ(10, centred->Left());

    auto* desktop = new TForm(m_app.get());
    desktop->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    desktop->SetBounds(0, 0, 100, 50);
    desktop->SetPosition(lumo::TPosition::poDesktopCenter);
    desktop->Show();
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN) +
                  (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 100) / 2,
              desktop->Left());

    auto* designed = new TForm(m_app.get());
    designed->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    designed->SetBounds(33, 44, 50, 50);
    designed->Show();
    EXPECT_EQ(33, designed->Left());
    EXPECT_EQ(44, designed->Top());
}

TEST_F(FormTest, OwnerWindowIsTheApplicationUnlessSet)
{
    auto* first = new TForm(m_app.get());
    first->HandleNeeded();
    EXPECT_EQ(m_app->Handle(), GetWindow(first->Handle(), GW_OWNER));

    auto* second = new TForm(m_app.get());
    second->SetOwnerWindow(first->Handle());
    second->HandleNeeded();
    EXPECT_EQ(first->Handle(), GetWindow(second->Handle(), GW_OWNER));

    second->SetOwnerWindow(nullptr);
    EXPECT_EQ(m_app->Handle(), GetWindow(second->Handle(), GW_OWNER));
}

TEST_F(FormTest, ExtraStylesApplyBeforeAndAfterCreation)
{
    auto* form = new TForm(m_app.get());
    form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    form->ChangeExStyle(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW, 0);
    form->HandleNeeded();
    LONG exStyle = GetWindowLongA(form->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);

    form->ChangeExStyle(0, WS_EX_APPWINDOW);
    exStyle = GetWindowLongA(form->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);

    // Kept when the frame changes.
    form->SetBorderStyle(lumo::TFormBorderStyle::bsSingle);
    exStyle = GetWindowLongA(form->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);

    form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    form->SetBounds(50, 60, 70, 80);
    form->MakeTopmost();
    EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(50, form->Left()) << "made topmost without moving";
    EXPECT_EQ(70, form->Width());
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "nor showing";
}

TEST_F(FormTest, ShowHideAndVisible)
{
    auto* form = new TForm(m_app.get());
    std::vector<std::string> events;
    form->OnShow = [&](lumo::TObject*) {
        events.push_back(std::string("show:") + (IsWindowVisible(form->Handle()) ? "1" : "0"));
    };
    form->OnHide = [&](lumo::TObject*) { events.push_back("hide"); };
    form->Show();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(form->Showing());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->Hide();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    form->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    std::vector<std::string> expected = {"show:0", "hide", "show:0"};
    EXPECT_EQ(expected, events);
}

TEST_F(FormTest, CloseRunsTheCloseHandlerAndItsAction)
{
    auto* form = new TForm(m_app.get());
    auto* main = m_app->CreateForm<TForm>();
    ASSERT_NE(main, form);
    auto* other = m_app->CreateForm<TForm>();
    EXPECT_EQ(main, m_app->MainForm()) << "the first form made by CreateForm";
    other->Show();

    lumo::TCloseAction choice = lumo::TCloseAction::caNone;
    int closes = 0;
    other->OnClose = [&](lumo::TObject* sender, lumo::TCloseAction& action) {
        EXPECT_EQ(other, sender);
        EXPECT_EQ(lumo::TCloseAction::caHide, action) << "the default";
        action = choice;
        ++closes;
    };
    other->Close();
    EXPECT_EQ(1, closes);
    EXPECT_TRUE(other->Visible()) << "caNone keeps it";

    choice = lumo::TCloseAction::caHide;
    SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(2, closes);
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(m_app->Terminated()) << "only the main form ends the application";

    bool allow = false;
    other->Show();
    other->OnCloseQuery = [&](lumo::TObject*, bool& canClose) { canClose = allow; };
    other->Close();
    EXPECT_EQ(2, closes) << "refused before the close handler";
    EXPECT_TRUE(other->Visible());

    allow = true;
    choice = lumo::TCloseAction::caFree;
    size_t formsBefore = m_app->Forms().size();
    other->Close();
    EXPECT_EQ(formsBefore, m_app->Forms().size()) << "freed later, from the message loop";
    PumpUntil([&] { return m_app->Forms().size() == formsBefore - 1; });
    EXPECT_EQ(formsBefore - 1, m_app->Forms().size());

    main->Close();
    EXPECT_TRUE(m_app->Terminated());
    (void)form;
}

TEST_F(FormTest, RunEndsWhenTheMainFormCloses)
{
    auto* main = m_app->CreateForm<TSampleForm>();
    m_app->SetShowMainForm(false);
    int ticks = 0;
    auto* timer = new lumo::TTimer(main);
    timer->SetInterval(20);
    timer->OnTimer = [&](lumo::TObject*) {
        EXPECT_FALSE(IsWindowVisible(main->Handle())) << "ShowMainForm false keeps it hidden";
        if (++ticks == 3) {
            main->Close();
        }
    };
    m_app->Run();
    EXPECT_EQ(3, ticks);
    EXPECT_TRUE(m_app->Terminated());
}

TEST_F(FormTest, RunShowsTheMainFormByDefault)
{
    auto* main = m_app->CreateForm<TSampleForm>();
    bool seenVisible = false;
    auto* timer = new lumo::TTimer(main);
    timer->SetInterval(20);
    timer->OnTimer = [&](lumo::TObject*) {
        seenVisible = IsWindowVisible(main->Handle()) != FALSE;
        main->Close();
    };
    m_app->Run();
    EXPECT_TRUE(seenVisible);
}

TEST_F(FormTest, DestroyingAFormDestroysItsWindowAndControls)
{
    auto* form = new TForm(m_app.get());
    auto* box = new formstest::TestBox(form);
    box->SetParent(form);
    auto* label = new lumo::TLabel(form);
    label->SetParent(form);
    label->SetCaption("gone soon");
    form->Show();
    HWND window = form->Handle();
    HWND child = box->Handle();
    ASSERT_TRUE(IsWindow(child));
    delete form;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(0u, m_app->Forms().size());
    // Messages still queued for the window go nowhere.
    PostMessageA(window, WM_PAINT, 0, 0);
    PumpFor(50);
}

TEST_F(FormTest, ScaledIsAFormProperty)
{
    auto* form = new TForm(m_app.get());
    EXPECT_TRUE(form->Scaled());
    form->SetScaled(false);
    EXPECT_FALSE(form->Scaled());
    // At the design resolution scaling changes nothing.
    auto* scaled = new TForm(m_app.get());
    auto* box = new formstest::TestBox(scaled);
    box->SetParent(scaled);
    box->SetBounds(10, 20, 30, 40);
    scaled->HandleNeeded();
    lumo::WindowDC screen(nullptr);
    if (GetDeviceCaps(screen.Get(), LOGPIXELSY) == 96) {
        EXPECT_EQ(10, box->Left());
        EXPECT_EQ(40, box->Height());
    }
}

} // namespace
