#pragma once
// Equipment of the dialog tests: an application per test, a script that acts from inside the
// modal loops of the dialogs (each step waits for its condition, then acts), and real input: the
// pointer moved and clicked, keys pressed, as the system delivers them.
#include "lumo/Forms/Forms.h"
#include "tests/support/Support.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dialogtest {

class Script
{
public:
    // Steps are tried every 10 ms on a timer of the GUI thread, so they run also while a modal
    // dialog holds the thread. After timeoutMs every visible form of the application is closed,
    // so that no modal loop outlives a failed test.
    explicit Script(DWORD timeoutMs = 20000);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Once ready() holds (and the steps before have run), act() runs.
    Script& Then(const std::string& what, std::function<bool()> ready, std::function<void()> act);
    // As Then, once the form is showing and in the foreground (where the keys go).
    Script& When(lumo::TForm& form, const std::string& what, std::function<void()> act);

    bool Done() const { return m_next >= m_steps.size(); }
    // The step waited for when the script was given up (or the dialog still open after the
    // last step), else empty.
    const std::string& GaveUpAt() const { return m_gaveUpAt; }

private:
    struct Step
    {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void Tick();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_deadline;
    std::string m_gaveUpAt;
    std::unique_ptr<lumo::TTimer> m_timer;
};

// True when the form is the foreground window; else asks for that and answers false. Under Wine
// on a bare X server a hidden window's focus returns to the desktop a moment later, which can
// take the foreground from a dialog just shown.
bool Foremost(lumo::TForm& form);

// Real input, queued for the system to deliver (the caller's loop handles it). Within a
// DialogTest a key that this thread has not taken from its queue 300 ms later is sent again (from
// the script's ticks and PumpUntil); Wine now and then drops a key sent while the focus settles,
// so after two tries it is posted to the focused control of form (or of the modal dialog).
void PressKey(WORD key, lumo::TForm* form = nullptr);
void MoveTo(POINT screen);
void MoveTo(lumo::TControl& control, int x, int y);
// Moves to the middle of the control and clicks there.
void Click(lumo::TControl& control);
// The pointer off every window of the test.
void Park();

// Handles messages until condition() holds; false when timeoutMs passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
void PumpFor(DWORD ms);

// Each test with an application of its own (created in SetUp, destroyed in TearDown) and the
// program's registry cleaned; the pointer parked.
class DialogTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<lumo::TApplication> m_app;
};

} // namespace dialogtest
