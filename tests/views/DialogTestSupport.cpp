#include "tests/views/DialogTestSupport.h"

namespace dialogtest {
namespace {

constexpr unsigned kTickMs = 10;

void SendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

Script::Script(DWORD timeoutMs) : m_deadline(GetTickCount() + timeoutMs)
{
    m_timer = std::make_unique<lumo::TTimer>(nullptr);
    m_timer->SetInterval(kTickMs);
    m_timer->OnTimer = [this](lumo::TObject*) { Tick(); };
}

Script::~Script() = default;

Script& Script::Then(const std::string& what, std::function<bool()> ready,
                     std::function<void()> act)
{
    m_steps.push_back(Step{what, std::move(ready), std::move(act)});
    return *this;
}

Script& Script::When(lumo::TForm& form, const std::string& what, std::function<void()> act)
{
    lumo::TForm* shown = &form;
    return Then(
        what,
        [shown] {
            return shown->HandleAllocated() && IsWindowVisible(shown->Handle()) && Foremost(*shown);
        },
        std::move(act));
}

void Script::Tick()
{
    if (!Done()) {
        Step& step = m_steps[m_next];
        if (step.ready()) {
            ++m_next;
            step.act();
            return;
        }
    }
    if (static_cast<LONG>(GetTickCount() - m_deadline) < 0 || !m_gaveUpAt.empty()) {
        return;
    }
    lumo::TApplication* application = lumo::Application();
    std::vector<lumo::TForm*> modal;
    for (lumo::TForm* form : application ? application->Forms() : std::vector<lumo::TForm*>()) {
        if (form->IsModal()) {
            modal.push_back(form);
        }
    }
    if (Done() && modal.empty()) {
        return;
    }
    m_gaveUpAt = Done() ? "the dialog to close after the last step" : m_steps[m_next].what;
    m_next = m_steps.size();
    ADD_FAILURE() << "the script gave up waiting for: " << m_gaveUpAt;
    for (lumo::TForm* form : modal) {
        form->SetModalResult(lumo::mrAbort);
    }
}

bool Foremost(lumo::TForm& form)
{
    if (GetForegroundWindow() == form.Handle()) {
        return true;
    }
    SetForegroundWindow(form.Handle());
    return false;
}

void PressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

void MoveTo(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
}

void MoveTo(lumo::TControl& control, int x, int y)
{
    MoveTo(control.ClientToScreen(POINT{x, y}));
}

void Click(lumo::TControl& control)
{
    MoveTo(control, control.Width() / 2, control.Height() / 2);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void Park()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (lumo::TApplication* application = lumo::Application()) {
            application->ProcessMessages();
        }
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

void DialogTest::SetUp()
{
    tvtest::CleanRegistryTest::SetUp();
    Park();
    m_app = std::make_unique<lumo::TApplication>();
}

void DialogTest::TearDown()
{
    m_app.reset();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    Park();
    tvtest::CleanRegistryTest::TearDown();
}

} // namespace dialogtest
