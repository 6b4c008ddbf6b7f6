#pragma once
// Shared equipment of the framework tests: an application per test, message pumping with a
// deadline, rendering a form into a bitmap, and small controls made for the tests.
#include "lumo/Forms/Forms.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace formstest {

// Each test gets a fresh application; afterwards no GDI object of the library may be left.
class AppTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Handles messages until condition() holds; false when timeoutMs passed first.
    template <typename Condition> bool PumpUntil(Condition condition, DWORD timeoutMs = 5000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            m_app->ProcessMessages();
            if (condition()) {
                return true;
            }
            if (GetTickCount() - start >= timeoutMs) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    // Handles messages for the given time.
    void PumpFor(DWORD ms);

    std::unique_ptr<lumo::TApplication> m_app;
    long m_gdiBefore = 0;
};

// A bitmap of one colour.
void Fill(lumo::TBitmap& bitmap, int width, int height, lumo::TColor color,
          lumo::TPixelFormat format = lumo::TPixelFormat::pf24bit);

// The client area of a form as the framework paints it.
std::unique_ptr<lumo::TBitmap> Render(lumo::TWinControl& control);

// Number of pixels of a colour inside a rectangle of a bitmap.
int CountColor(const lumo::TBitmap& bitmap, const RECT& area, lumo::TColor color);

// A plain windowed control that paints itself in its colour and counts its events.
class TestBox : public lumo::TWinControl
{
public:
    LUMO_CLASS_NAME(TestBox)
    explicit TestBox(lumo::TComponent* owner) : lumo::TWinControl(owner) {}
    std::vector<std::string> events;

protected:
    void DoEnter() override
    {
        events.push_back("enter");
        lumo::TWinControl::DoEnter();
    }
    void DoExit() override
    {
        events.push_back("exit");
        lumo::TWinControl::DoExit();
    }
};

// A windowed "button" that sets its form's modal result when clicked.
class ResultButton : public lumo::TWinControl
{
public:
    LUMO_CLASS_NAME(ResultButton)
    ResultButton(lumo::TComponent* owner, lumo::TModalResult result)
        : lumo::TWinControl(owner), m_result(result)
    {}
    void Click() override
    {
        if (lumo::TForm* form = ParentForm()) {
            form->SetModalResult(m_result);
        }
        lumo::TWinControl::Click();
    }

private:
    lumo::TModalResult m_result;
};

// Posts a left click (down and up) at a client point of a window.
void PostClick(HWND window, int x, int y);

// A form type of its own, to see its window class.
class TSampleForm : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TSampleForm)
    explicit TSampleForm(lumo::TComponent* owner) : lumo::TForm(owner) {}
};

} // namespace formstest
