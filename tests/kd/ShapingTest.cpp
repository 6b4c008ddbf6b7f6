// Shaped top-level windows: the layered-window maker, a form attached to its background image
// (keyed outline, click-through, dragging) and the erase suppression.
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "tests/kd/KdTestSupport.h"
#include "tests/support/Support.h"

#include <atomic>
#include <thread>

namespace {

using lumo::LayeredWindowMaker;
using lumo::TLayeredFormMaker;

constexpr lumo::TColor kKey = 0x00FF00;

DWORD ExStyle(HWND window)
{
    return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

class ShapingTest : public kdtest::KdTest
{
protected:
    // m_form's background: 160 x 100, its left 40 columns (lower-left pixel included) keyed.
    lumo::TImage* AddBackground()
    {
        auto* image = new lumo::TImage(m_form);
        image->SetParent(m_form);
        formstest::Fill(image->Picture(), 160, 100, 0x805030);
        kdtest::FillRect(image->Picture(), RECT{0, 0, 40, 100}, kKey);
        image->OnMouseDown = [this](lumo::TObject*, lumo::TMouseButton button, lumo::TShiftState,
                                    int, int) {
            Note(button == lumo::TMouseButton::mbLeft ? "image left" : "image right");
        };
        return image;
    }
};

TEST_F(ShapingTest, LayeredMakerSetsStyleAndAttributes)
{
    HWND window = m_form->Handle();
    LayeredWindowMaker maker;
    ASSERT_TRUE(maker.IsEnabled());
    EXPECT_EQ(0xFFFFFF, maker.GetColorKey()) << "-1 read back as 24 bits";
    maker.SetColorKey(0x00123456);
    EXPECT_EQ(0x123456, maker.GetColorKey());
    maker.Apply(window);
    EXPECT_EQ(0u, ExStyle(window) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) << "nothing in use";

    maker.SetUseColorKey(true);
    maker.SetClickThrough(true);
    maker.Apply(window);
    EXPECT_EQ(DWORD(WS_EX_LAYERED | WS_EX_TRANSPARENT),
              ExStyle(window) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(0x123456u, key);
    EXPECT_EQ(DWORD(LWA_COLORKEY), flags);

    maker.SetUseAlpha(true);
    maker.SetAlpha(128);
    maker.Apply(window);
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(128, alpha);
    EXPECT_EQ(DWORD(LWA_COLORKEY | LWA_ALPHA), flags);

    maker.Remove(window, false);
    EXPECT_EQ(DWORD(WS_EX_TRANSPARENT), ExStyle(window) & (WS_EX_LAYERED | WS_EX_TRANSPARENT))
        << "click-through stays without the clear-all flag";
    maker.Remove(window, true);
    EXPECT_EQ(0u, ExStyle(window) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
}

TEST_F(ShapingTest, AttachedFormTakesItsImageSizeAndLetsClicksThroughTheOutline)
{
    auto* below = new lumo::TForm(m_app.get());
    below->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    below->SetBounds(150, 100, 300, 200);
    below->OnClick = [this](lumo::TObject*) { Note("below click"); };
    below->MakeTopmost();
    below->Show();

    m_form->SetBorderStyle(lumo::TFormBorderStyle::bsSizeable);
    lumo::TImage* image = AddBackground();
    TLayeredFormMaker maker;
    EXPECT_FALSE(maker.Attach(nullptr));
    ASSERT_TRUE(maker.Attach(image));
    EXPECT_EQ(m_form, maker.Form());
    EXPECT_EQ(lumo::TFormBorderStyle::bsNone, m_form->BorderStyle());
    EXPECT_EQ(160, m_form->ClientWidth());
    EXPECT_EQ(100, m_form->ClientHeight());
    EXPECT_EQ(kKey, maker.GetColorKey());
    EXPECT_EQ(kKey, m_form->Color()) << "uncovered parts of the form vanish too";
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(m_form->Handle(), &key, &alpha, &flags));
    EXPECT_EQ(COLORREF(kKey), key);
    EXPECT_EQ(DWORD(LWA_COLORKEY), flags);
    maker.SetUseAlpha(true);
    maker.SetAlpha(200);
    ASSERT_TRUE(GetLayeredWindowAttributes(m_form->Handle(), &key, &alpha, &flags));
    EXPECT_EQ(200, alpha);
    EXPECT_EQ(DWORD(LWA_COLORKEY | LWA_ALPHA), flags);
    maker.SetUseAlpha(false);

    ShowForm();
    maker.EnableDragging(false);
    // Opaque part first: a click on the window below brings that one to the front.
    DisplayClick(ScreenOf(*image, 100, 50));
    DisplayClick(ScreenOf(*image, 20, 50));
    std::vector<std::string> expected = {"image left", "below click"};
    EXPECT_EQ(expected, m_journal);

    maker.Detach();
    EXPECT_EQ(0u, ExStyle(m_form->Handle()) & WS_EX_LAYERED);
    EXPECT_FALSE(maker.IsAttached());
}

TEST_F(ShapingTest, DraggingTheImageMovesTheFormAndKeepsItsHandler)
{
    lumo::TImage* image = AddBackground();
    TLayeredFormMaker maker;
    ASSERT_TRUE(maker.Attach(image));
    ShowForm();
    POINT start = ScreenOf(*image, 100, 50);
    RECT before;
    GetWindowRect(m_form->Handle(), &before);

    // The system's move loop holds the GUI thread until the button goes up, so the pointer is
    // driven from a thread of its own, step by step as the loop takes it.
    DWORD gui = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::atomic<bool> moveLoopSeen{false};
    std::thread hand([&] {
        auto inMoveLoop = [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(gui, &info) && (info.flags & GUI_INMOVESIZE);
        };
        SetCursorPos(start.x, start.y);
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &input, sizeof input);
        moveLoopSeen = tvtest::WaitUntil(inMoveLoop, 3000);
        for (int step = 1; step <= 4; ++step) {
            SetCursorPos(start.x + 10 * step, start.y + 5 * step);
            tvtest::WaitUntil(
                [&] {
                    RECT now;
                    GetWindowRect(m_form->Handle(), &now);
                    return now.left == before.left + 10 * step || !inMoveLoop();
                },
                1000);
        }
        input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &input, sizeof input);
        tvtest::WaitUntil([&] { return !inMoveLoop(); }, 3000);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    hand.join();
    EXPECT_TRUE(moveLoopSeen);
    RECT after;
    GetWindowRect(m_form->Handle(), &after);
    EXPECT_EQ(before.left + 40, after.left);
    EXPECT_EQ(before.top + 20, after.top);
    EXPECT_EQ(m_form->Left(), after.left);

    // The right button reaches the previous handler and moves nothing.
    m_journal.clear();
    MoveTo(*image, 100, 50);
    RightDown();
    RightUp();
    EXPECT_EQ(std::vector<std::string>{"image right"}, m_journal);
    RECT still;
    GetWindowRect(m_form->Handle(), &still);
    EXPECT_EQ(after.left, still.left);

    maker.Detach();
    ASSERT_TRUE(image->OnMouseDown) << "the image has its own handler back";
}

TEST(ShapingDeathTest, AttachingTwiceBreaksThePrecondition)
{
    EXPECT_DEATH(
        {
            lumo::TApplication app;
            auto* form = new lumo::TForm(&app);
            form->SetScaled(false);
            auto* image = new lumo::TImage(form);
            image->SetParent(form);
            TLayeredFormMaker maker;
            maker.Attach(image);
            maker.Attach(image);
        },
        "Assertion failed: !IsAttached\\(\\)");
}

TEST(ShapingDeathTest, AScaledFormIsADesignersMistake)
{
    EXPECT_DEATH(
        {
            tvtest::MessageBoxRecorder boxes;
            lumo::TApplication app;
            auto* form = new lumo::TForm(&app);
            form->SetName("MainForm");
            auto* image = new lumo::TImage(form);
            image->SetParent(form);
            TLayeredFormMaker maker;
            maker.Attach(image);
        },
        "Assertion failed: m_form->Scaled == false");
}

// A plain window whose class brush paints red.
LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ShapingTest, FlickerEliminatorAnswersTheEraseAndPassesTheRest)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &PlainProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KdTestPlain";
    lumo::BrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
    windowClass.hbrBackground = red.Get();
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "KdTestPlain", "plain", WS_POPUP, 0, 0, 20, 20, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    lumo::TBitmap canvas;
    formstest::Fill(canvas, 20, 20, lumo::clWhite);
    auto erase = [&] {
        return SendMessageA(window, WM_ERASEBKGND,
                            reinterpret_cast<WPARAM>(canvas.Canvas().Handle()), 0);
    };
    {
        lumo::FlickerEliminator eliminator;
        eliminator.Attach(window);
        EXPECT_TRUE(eliminator.IsAttached());
        EXPECT_EQ(1, erase());
        EXPECT_EQ(lumo::clWhite, canvas.PixelColor(5, 5)) << "nothing drawn";
        char text[16] = "";
        GetWindowTextA(window, text, sizeof text);
        EXPECT_STREQ("plain", text);
        eliminator.Detach();
        EXPECT_NE(0, erase());
        EXPECT_EQ(0x0000FF, canvas.PixelColor(5, 5)) << "the class brush again";
        EXPECT_DEATH(
            {
                eliminator.Attach(window);
                eliminator.Attach(window);
            },
            "Assertion failed: m_control == NULL");
        eliminator.Attach(window);
        DestroyWindow(window);
        EXPECT_FALSE(eliminator.IsAttached()) << "the window's end detaches it";
    }
    UnregisterClassA("KdTestPlain", GetModuleHandleA(nullptr));
}

} // namespace
