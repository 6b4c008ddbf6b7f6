#include "tests/views/DialogTestSupport.h"

#include <cstdio>

namespace dialogtest {
namespace {

constexpr unsigned kTickMs = 10;
constexpr DWORD kSettleMs = 40;

// Keys sent and not yet taken from this thread's queue. Under Wine 8 on a bare X server a key
// sent just after a window was mapped is now and then never delivered, however often it is sent
// again while the dialog is in front with its focus set; after two more tries the key is posted
// to the focused window as the system would have queued it (the dialog's own key handling still
// runs), and a line on stderr says so.
class KeyCourier
{
public:
    void Install()
    {
        if (!m_hook) {
            s_courier = this;
            m_hook = SetWindowsHookExA(WH_KEYBOARD, &Hook, nullptr, GetCurrentThreadId());
        }
    }
    void Remove()
    {
        if (m_hook) {
            UnhookWindowsHookEx(m_hook);
            m_hook = nullptr;
        }
        m_pending.clear();
    }
    void Sent(WORD key, lumo::TForm* form)
    {
        if (m_hook) {
            m_pending.push_back(Pending{key, GetTickCount(), 0, form});
        }
    }
    void Tick();

private:
    struct Pending
    {
        WORD key;
        DWORD sentAt;
        int resent;
        lumo::TForm* form;
    };
    static HWND FallbackTarget(lumo::TForm* form);
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        constexpr LPARAM kReleased = 0x80000000;
        if (code == HC_ACTION && s_courier && !(lParam & kReleased)) {
            auto& pending = s_courier->m_pending;
            for (auto it = pending.begin(); it != pending.end(); ++it) {
                if (it->key == static_cast<WORD>(wParam)) {
                    pending.erase(it);
                    break;
                }
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static KeyCourier* s_courier;
    HHOOK m_hook = nullptr;
    std::vector<Pending> m_pending;
};

KeyCourier* KeyCourier::s_courier = nullptr;
KeyCourier g_courier;

constexpr DWORD kKeyLostMs = 300;
constexpr int kMaxResends = 2;

void SendKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

// The focused control of the form the key was meant for (or of the modal dialog), else the
// form; without either, the thread's focus.
HWND KeyCourier::FallbackTarget(lumo::TForm* form)
{
    if (!form) {
        if (lumo::TApplication* application = lumo::Application()) {
            for (lumo::TForm* candidate : application->Forms()) {
                if (candidate->IsModal()) {
                    form = candidate;
                }
            }
        }
    }
    if (!form) {
        return GetFocus();
    }
    lumo::TWinControl* active = form->ActiveControl();
    return active && active->Showing() ? active->Handle() : form->Handle();
}

void KeyCourier::Tick()
{
    const DWORD now = GetTickCount();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (now - it->sentAt < kKeyLostMs) {
            ++it;
        } else if (it->resent < kMaxResends) {
            ++it->resent;
            it->sentAt = now;
            SendKey(it->key);
            ++it;
        } else {
            HWND target = FallbackTarget(it->form);
            std::fprintf(stderr, "[ keys     ] key 0x%02X not delivered, posted to the focus\n",
                         static_cast<unsigned>(it->key));
            const UINT scan = MapVirtualKeyA(it->key, 0);
            PostMessageA(target, WM_KEYDOWN, it->key, 1 | (scan << 16));
            PostMessageA(target, WM_KEYUP, it->key, 0xC0000001 | (scan << 16));
            it = m_pending.erase(it);
        }
    }
}

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
    g_courier.Tick();
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

void PressKey(WORD key, lumo::TForm* form)
{
    g_courier.Sent(key, form);
    SendKey(key);
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
        g_courier.Tick();
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
    g_courier.Install();
}

void DialogTest::TearDown()
{
    m_app.reset();
    g_courier.Remove();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    Park();
    tvtest::CleanRegistryTest::TearDown();
}

} // namespace dialogtest
