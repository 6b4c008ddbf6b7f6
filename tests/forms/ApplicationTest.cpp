#include "lumo/System/Source/MessageBox.h"
#include "tests/forms/FormsTestSupport.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

namespace {

using lumo::TForm;

class ApplicationTest : public formstest::AppTest
{};

TEST_F(ApplicationTest, HiddenApplicationWindowCarriesTheTitle)
{
    ASSERT_NE(nullptr, m_app->Handle());
    EXPECT_EQ(m_app.get(), lumo::Application());
    EXPECT_FALSE(IsWindowVisible(m_app->Handle()));
    m_app->SetTitle("Tetravolt Core");
    EXPECT_EQ(m_app->Handle(), FindWindowA("TApplication", "Tetravolt Core"));
    EXPECT_EQ("Tetravolt Core", m_app->Title());
}

TEST_F(ApplicationTest, FormsAreKeptInCreationOrderAndTheFirstIsTheMainForm)
{
    auto* first = m_app->CreateForm<formstest::TSampleForm>();
    auto* second = m_app->CreateForm<TForm>();
    auto* third = m_app->CreateForm<TForm>();
    EXPECT_EQ(first, m_app->MainForm());
    std::vector<TForm*> expected = {first, second, third};
    EXPECT_EQ(expected, m_app->Forms());
    EXPECT_TRUE(first->HandleAllocated()) << "created with their windows";
    EXPECT_FALSE(IsWindowVisible(second->Handle())) << "and hidden";
}

TEST_F(ApplicationTest, HookSeesMessagesPostedToTheApplicationWindow)
{
    const UINT probe = WM_USER + 77;
    std::vector<std::string> seen;
    int first = m_app->HookMainWindow([&](lumo::TMessage& message) {
        if (message.Msg == probe) {
            seen.push_back("first " + std::to_string(message.WParam));
            if (message.WParam == 1) {
                message.Result = 42;
                return true;
            }
        }
        return false;
    });
    m_app->HookMainWindow([&](lumo::TMessage& message) {
        if (message.Msg == probe) {
            seen.push_back("second " + std::to_string(message.WParam));
        }
        return false;
    });
    PostMessageA(m_app->Handle(), probe, 1, 0);
    PostMessageA(m_app->Handle(), probe, 2, 0);
    PumpUntil([&] { return seen.size() >= 3; });
    std::vector<std::string> expected = {"first 1", "first 2", "second 2"};
    EXPECT_EQ(expected, seen) << "a handled message goes no further";

    EXPECT_EQ(42, SendMessageA(m_app->Handle(), probe, 1, 0)) << "the hook's answer";
    seen.clear();
    m_app->UnhookMainWindow(first);
    PostMessageA(m_app->Handle(), probe, 1, 0);
    PumpUntil([&] { return !seen.empty(); });
    expected = {"second 1"};
    EXPECT_EQ(expected, seen);
}

TEST_F(ApplicationTest, BroadcastsReachTheHiddenApplicationWindow)
{
    UINT broadcast = RegisterWindowMessageA("TetravoltFormsTestBroadcast");
    int seen = 0;
    m_app->HookMainWindow([&](lumo::TMessage& message) {
        if (message.Msg == broadcast && message.LParam == 5) {
            ++seen;
            return true;
        }
        return false;
    });
    PostMessageA(HWND_BROADCAST, broadcast, 0x2255, 5);
    EXPECT_TRUE(PumpUntil([&] { return seen == 1; }));
}

TEST_F(ApplicationTest, MinimizeHidesTheFormsAndRestoreBringsThemBack)
{
    auto* main = m_app->CreateForm<TForm>();
    auto* hidden = m_app->CreateForm<TForm>();
    auto* shown = m_app->CreateForm<TForm>();
    main->Show();
    shown->Show();
    std::vector<std::string> events;
    m_app->OnMinimize = [&](lumo::TObject*) { events.push_back("minimize"); };
    m_app->OnRestore = [&](lumo::TObject*) { events.push_back("restore"); };

    m_app->Minimize();
    EXPECT_TRUE(m_app->IsMinimized());
    EXPECT_FALSE(IsWindowVisible(main->Handle()));
    EXPECT_FALSE(IsWindowVisible(shown->Handle()));
    EXPECT_TRUE(main->Visible()) << "still meant to be visible";
    m_app->Minimize();

    m_app->Restore();
    EXPECT_FALSE(m_app->IsMinimized());
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    EXPECT_TRUE(IsWindowVisible(shown->Handle()));
    EXPECT_FALSE(IsWindowVisible(hidden->Handle())) << "only what was visible";
    std::vector<std::string> expected = {"minimize", "restore"};
    EXPECT_EQ(expected, events);

    // The main form's own minimise box minimises the application.
    SendMessageA(main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(m_app->IsMinimized());
    SendMessageA(m_app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(m_app->IsMinimized());
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
}

TEST_F(ApplicationTest, FrameworkExceptionsInHandlersAreShownWithTheTitle)
{
    tvtest::MessageBoxRecorder boxes;
    m_app->SetTitle("Tetravolt Core");
    auto* form = m_app->CreateForm<TForm>();
    auto* timer = new lumo::TTimer(form);
    timer->SetInterval(10);
    int ticks = 0;
    timer->OnTimer = [&](lumo::TObject*) {
        if (++ticks == 1) {
            lumo::TBitmap bitmap;
            bitmap.LoadFromFile("C:\\missing\\picture.bmp");
        }
    };
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; })) << "the loop goes on afterwards";
    auto shown = boxes.Boxes();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Tetravolt Core", shown[0].caption);
    // No full stop after a closing quote: only text ending in a letter or digit gets one.
    EXPECT_EQ("Cannot open file \"C:\\missing\\picture.bmp\"", shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), shown[0].type);

    std::vector<std::string> handled;
    m_app->OnException = [&](lumo::TObject*, const lumo::Exception& error) {
        handled.push_back(error.Message());
    };
    timer->OnTimer = [&](lumo::TObject*) {
        timer->SetEnabled(false);
        throw lumo::EInvalidOperation("from a handler");
    };
    PumpUntil([&] { return !handled.empty(); });
    std::vector<std::string> expected = {"from a handler"};
    EXPECT_EQ(expected, handled);
    EXPECT_EQ(1u, boxes.Boxes().size()) << "OnException replaces the display";
}

TEST_F(ApplicationTest, ShowExceptionEndsTheTextWithAFullStop)
{
    tvtest::MessageBoxRecorder boxes;
    m_app->SetTitle("Title");
    m_app->ShowException(lumo::Exception("Out of paper"));
    m_app->ShowException(lumo::Exception("Already ends."));
    lumo::TApplication::ShowExceptionMessage(lumo::Exception("x"), "Other");
    auto shown = boxes.Boxes();
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ("Out of paper.", shown[0].text);
    EXPECT_EQ("Already ends.", shown[1].text);
    EXPECT_EQ("Other", shown[2].caption);
}

TEST_F(ApplicationTest, OnMessageSeesAndCanDropQueuedMessages)
{
    auto* form = m_app->CreateForm<TForm>();
    int dropped = 0;
    m_app->OnMessage = [&](MSG& message, bool& handled) {
        if (message.message == WM_CLOSE && message.hwnd == form->Handle()) {
            ++dropped;
            handled = true;
        }
    };
    form->Show();
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    PumpUntil([&] { return dropped == 1; });
    PumpFor(50);
    EXPECT_FALSE(m_app->Terminated()) << "the close never reached the main form";
    EXPECT_TRUE(form->Visible());
}

TEST_F(ApplicationTest, ClosingTheApplicationWindowClosesTheMainForm)
{
    auto* main = m_app->CreateForm<TForm>();
    int closes = 0;
    main->OnClose = [&](lumo::TObject*, lumo::TCloseAction&) { ++closes; };
    SendMessageA(m_app->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, closes);
    EXPECT_TRUE(m_app->Terminated());
}

TEST_F(ApplicationTest, TerminateEndsAMessageBoxThatIsUp)
{
    // The installer's close command arrives while a box waits for a click nobody gives.
    const UINT close = WM_USER + 78;
    m_app->HookMainWindow([&](lumo::TMessage& message) {
        if (message.Msg == close) {
            m_app->Terminate();
            return true;
        }
        return false;
    });
    PostMessageA(m_app->Handle(), close, 0, 0);
    const DWORD started = GetTickCount();
    MessageBoxA(nullptr, "Waiting for a click", "Tetravolt", MB_OK);
    EXPECT_LT(GetTickCount() - started, 10000u);
    EXPECT_TRUE(m_app->Terminated());
    m_app->Run();
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the next loop on this thread starts clean";
}

} // namespace
