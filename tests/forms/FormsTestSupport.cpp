#include "tests/forms/FormsTestSupport.h"

namespace formstest {

void AppTest::SetUp()
{
    m_gdiBefore = lumo::LiveGdiObjects();
    m_app = std::make_unique<lumo::TApplication>();
}

void AppTest::TearDown()
{
    m_app.reset();
    // Leftover timer or wake-up messages must not reach the next test.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    EXPECT_EQ(m_gdiBefore, lumo::LiveGdiObjects()) << "GDI objects left behind";
}

void AppTest::PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

void Fill(lumo::TBitmap& bitmap, int width, int height, lumo::TColor color,
          lumo::TPixelFormat format)
{
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect(RECT{0, 0, width, height});
}

std::unique_ptr<lumo::TBitmap> Render(lumo::TWinControl& control)
{
    auto bitmap = std::make_unique<lumo::TBitmap>(control.ClientWidth(), control.ClientHeight());
    control.PaintTo(bitmap->Canvas().Handle(), 0, 0);
    return bitmap;
}

int CountColor(const lumo::TBitmap& bitmap, const RECT& area, lumo::TColor color)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (bitmap.PixelColor(x, y) == color) {
                ++count;
            }
        }
    }
    return count;
}

void PostClick(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

} // namespace formstest
