#include "tests/kd/KdTestSupport.h"

namespace kdtest {

void SetStates(KdCustomControl& control, int width, int height,
               const std::vector<lumo::TColor>& colors)
{
    for (size_t i = 0; i < colors.size(); ++i) {
        lumo::TBitmap picture;
        formstest::Fill(picture, width, height, colors[i]);
        control.SetStateBitmap(static_cast<int>(i), &picture);
    }
}

void FillRect(lumo::TBitmap& bitmap, const RECT& area, lumo::TColor color)
{
    bitmap.Canvas().Brush().SetStyle(lumo::TBrushStyle::bsSolid);
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect(area);
}

void KdTest::SetUp()
{
    AppTest::SetUp();
    Park();
    m_form = new lumo::TForm(m_app.get());
    m_form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    m_form->SetScaled(false);
    m_form->SetBounds(200, 150, 400, 300);
    m_form->SetColor(lumo::clWhite);
    m_app->OnMessage = [this](MSG& message, bool&) {
        if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
            m_handled.push_back(message);
        }
    };
}

void KdTest::TearDown()
{
    Park();
    m_app->OnMessage = nullptr;
    AppTest::TearDown();
}

void KdTest::ShowForm()
{
    m_form->MakeTopmost();
    m_form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(m_form->Handle()) != FALSE; }));
    m_form->Repaint();
    PumpFor(50);
}

POINT KdTest::ScreenOf(lumo::TControl& control, int x, int y) const
{
    return control.ClientToScreen(POINT{x, y});
}

void KdTest::Park()
{
    SetCursorPos(1270, 1010);
    if (m_app) {
        PumpFor(30);
    }
}

void KdTest::MoveTo(POINT screen)
{
    size_t seen = m_handled.size();
    SetCursorPos(screen.x, screen.y);
    bool handled = PumpUntil(
        [&] {
            for (size_t i = seen; i < m_handled.size(); ++i) {
                if (m_handled[i].message == WM_MOUSEMOVE && m_handled[i].pt.x == screen.x &&
                    m_handled[i].pt.y == screen.y) {
                    return true;
                }
            }
            return false;
        },
        3000);
    ASSERT_TRUE(handled) << "no mouse move at " << screen.x << "," << screen.y;
}

void KdTest::SendButton(DWORD flags, UINT expected1, UINT expected2)
{
    size_t seen = m_handled.size();
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ASSERT_EQ(1u, SendInput(1, &input, sizeof input));
    bool handled = PumpUntil(
        [&] {
            for (size_t i = seen; i < m_handled.size(); ++i) {
                if (m_handled[i].message == expected1 || m_handled[i].message == expected2) {
                    return true;
                }
            }
            return false;
        },
        3000);
    ASSERT_TRUE(handled) << "button message " << expected1 << " not handled";
}

void KdTest::LeftDown()
{
    SendButton(MOUSEEVENTF_LEFTDOWN, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK);
}

void KdTest::LeftUp()
{
    SendButton(MOUSEEVENTF_LEFTUP, WM_LBUTTONUP, WM_LBUTTONUP);
}

void KdTest::RightDown()
{
    SendButton(MOUSEEVENTF_RIGHTDOWN, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK);
}

void KdTest::RightUp()
{
    SendButton(MOUSEEVENTF_RIGHTUP, WM_RBUTTONUP, WM_RBUTTONUP);
}

void KdTest::ClickAt(lumo::TControl& control, int x, int y)
{
    MoveTo(control, x, y);
    LeftDown();
    LeftUp();
}

void KdTest::DisplayClick(POINT screen)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    if (!wine) {
        MoveTo(screen);
        LeftDown();
        LeftUp();
        return;
    }
    size_t seen = m_handled.size();
    std::string command = "Z:\\usr\\bin\\xdotool mousemove " + std::to_string(screen.x) + " " +
                          std::to_string(screen.y) + " click 1";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info))
        << command << " failed with " << GetLastError();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    bool handled = PumpUntil(
        [&] {
            for (size_t i = seen; i < m_handled.size(); ++i) {
                if (m_handled[i].message == WM_LBUTTONUP) {
                    return true;
                }
            }
            return false;
        },
        5000);
    ASSERT_TRUE(handled) << "no button-up from " << command;
}

void KdTest::Watch(lumo::TControl& control, const std::string& name)
{
    control.OnMouseEnter = [this, name](lumo::TObject*) { Note(name + " enter"); };
    control.OnMouseLeave = [this, name](lumo::TObject*) { Note(name + " leave"); };
    control.OnClick = [this, name](lumo::TObject*) { Note(name + " click"); };
}

} // namespace kdtest
