#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using formstest::PostClick;
using formstest::ResultButton;
using lumo::TForm;

class ModalTest : public formstest::AppTest
{
protected:
    TForm* MakeDialog(lumo::TModalResult buttonResult, ResultButton** button)
    {
        auto* dialog = new TForm(m_app.get());
        dialog->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        dialog->SetBounds(200, 200, 100, 60);
        *button = new ResultButton(dialog, buttonResult);
        (*button)->SetParent(dialog);
        (*button)->SetBounds(10, 10, 40, 20);
        dialog->HandleNeeded();
        return dialog;
    }
};

TEST_F(ModalTest, EndsWithTheResultSetByAControl)
{
    auto* owner = new TForm(m_app.get());
    owner->Show();
    ResultButton* button;
    TForm* dialog = MakeDialog(lumo::mrYes, &button);
    int clicks = 0;
    bool ownerDisabledMeanwhile = false;
    button->OnClick = [&](lumo::TObject*) {
        ++clicks;
        ownerDisabledMeanwhile = !IsWindowEnabled(owner->Handle());
    };
    // The click waits in the queue until the modal loop runs.
    PostClick(button->Handle(), 5, 5);
    EXPECT_EQ(lumo::mrYes, dialog->ShowModal());
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(ownerDisabledMeanwhile) << "the other windows are disabled";
    EXPECT_TRUE(IsWindowEnabled(owner->Handle())) << "and enabled again";
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    EXPECT_FALSE(dialog->IsModal());
    EXPECT_EQ(lumo::mrYes, dialog->ModalResult());
}

TEST_F(ModalTest, AReleaseOutsideTheControlIsNoClick)
{
    ResultButton* button;
    TForm* dialog = MakeDialog(2, &button);
    auto* escape = new lumo::TTimer(dialog);
    escape->SetInterval(300);
    escape->OnTimer = [&](lumo::TObject*) { dialog->SetModalResult(7); };
    PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
    EXPECT_EQ(7, dialog->ShowModal()) << "the button did not end it";
}

TEST_F(ModalTest, NestedModalFormsEachGetTheirResult)
{
    ResultButton* outerButton;
    TForm* outer = MakeDialog(lumo::mrOk, &outerButton);
    ResultButton* innerButton;
    TForm* inner = MakeDialog(lumo::mrNo, &innerButton);

    std::vector<std::string> journal;
    auto* opener = new lumo::TTimer(outer);
    opener->SetInterval(30);
    opener->OnTimer = [&](lumo::TObject*) {
        opener->SetEnabled(false);
        journal.push_back("outer open");
        PostClick(innerButton->Handle(), 5, 5);
        lumo::TModalResult result = inner->ShowModal();
        journal.push_back("inner " + std::to_string(result));
        journal.push_back(std::string("outer enabled ") +
                          (IsWindowEnabled(outer->Handle()) ? "1" : "0"));
        PostClick(outerButton->Handle(), 5, 5);
    };
    innerButton->OnClick = [&](lumo::TObject*) {
        journal.push_back(std::string("outer enabled ") +
                          (IsWindowEnabled(outer->Handle()) ? "1" : "0"));
    };
    lumo::TModalResult result = outer->ShowModal();
    journal.push_back("outer " + std::to_string(result));
    std::vector<std::string> expected = {"outer open", "outer enabled 0", "inner 7",
                                         "outer enabled 1", "outer 1"};
    EXPECT_EQ(expected, journal);
}

TEST_F(ModalTest, CloseEndsWithCancelAndCloseQueryCanRefuse)
{
    ResultButton* button;
    TForm* dialog = MakeDialog(lumo::mrOk, &button);
    int queries = 0;
    dialog->OnCloseQuery = [&](lumo::TObject*, bool& canClose) { canClose = ++queries > 1; };
    auto* closer = new lumo::TTimer(dialog);
    closer->SetInterval(30);
    closer->OnTimer = [&](lumo::TObject*) { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(lumo::mrCancel, dialog->ShowModal());
    EXPECT_EQ(2, queries) << "the first close was refused, the loop went on";
}

TEST_F(ModalTest, CloseHandlerCanKeepTheDialogOpen)
{
    ResultButton* button;
    TForm* dialog = MakeDialog(lumo::mrOk, &button);
    int closes = 0;
    dialog->OnClose = [&](lumo::TObject*, lumo::TCloseAction& action) {
        if (++closes == 1) {
            action = lumo::TCloseAction::caNone;
            PostClick(button->Handle(), 5, 5);
        }
    };
    PostClick(button->Handle(), 5, 5);
    EXPECT_EQ(lumo::mrOk, dialog->ShowModal());
    EXPECT_EQ(2, closes);
}

TEST_F(ModalTest, AVisibleFormCannotBecomeModal)
{
    auto* form = new TForm(m_app.get());
    form->Show();
    EXPECT_THROW(form->ShowModal(), lumo::EInvalidOperation);
    EXPECT_TRUE(form->Visible());
}

TEST_F(ModalTest, TerminatingTheApplicationEndsTheModalLoop)
{
    ResultButton* button;
    TForm* dialog = MakeDialog(lumo::mrOk, &button);
    auto* quit = new lumo::TTimer(dialog);
    quit->SetInterval(30);
    quit->OnTimer = [&](lumo::TObject*) { m_app->Terminate(); };
    EXPECT_EQ(lumo::mrCancel, dialog->ShowModal());
    EXPECT_TRUE(m_app->Terminated());
}

TEST_F(ModalTest, ModalResultCanBeSetFromAnotherThreadsWork)
{
    ResultButton* button;
    TForm* dialog = MakeDialog(lumo::mrOk, &button);
    class Worker : public lumo::TThread
    {
    public:
        explicit Worker(TForm* form) : lumo::TThread(true), m_form(form) {}
        void Execute() override
        {
            Sleep(50);
            Synchronize([this] { m_form->SetModalResult(lumo::mrRetry); });
        }
        TForm* m_form;
    };
    Worker worker(dialog);
    worker.Resume();
    EXPECT_EQ(lumo::mrRetry, dialog->ShowModal());
    worker.WaitFor();
}

} // namespace
