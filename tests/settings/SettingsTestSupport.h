#pragma once
// Equipment of the advanced settings tests: the real window over the real profile store on the
// simulated board, real pointer and key input, steps run while a modal window is up, the journal
// of the board and screenshots.
#include "power/ModeProfile.h"
#include "tests/kd/KdTestSupport.h"
#include "views/AdvancedSetting.h"
#include "views/SkinComboBox.h"

#include <functional>
#include <string>
#include <vector>

namespace settingstest {

class SettingsTest : public kdtest::KdTest
{
protected:
    // A clean registry, the default board, the stored profiles at their defaults (saved), and a
    // fresh window whose board facts are read from the simulated board at each show.
    void SetUp() override;
    void TearDown() override;

    // Runs a show of the window; the steps run one after the other while it is up, each once
    // its condition holds (a step whose condition does not come within 5 s fails the test and
    // cancels the window). Returns the window's result.
    struct Step
    {
        std::function<bool()> ready;
        std::function<void()> action;
    };
    int RunShown(std::vector<Step> steps);
    // Runs the steps on a timer while something else (a modal loop of the code under test) runs.
    void Schedule(std::vector<Step> steps);
    // Whether every scheduled step ran.
    bool StepsDone() const { return m_steps.empty(); }

    // A step that runs as soon as the window is on screen.
    Step WhenShown(std::function<void()> action);
    Step Then(std::function<void()> action);

    // Real input on the window's parts.
    void ClickControl(lumo::TControl& control);
    void Key(WORD key, bool alt = false);
    // Opens a drop-down's panel with the pointer and chooses the item by clicking it.
    // Clicks the arrow and waits until the panel is open (clicked again once when lost).
    void OpenWithPointer(tv::SkinComboBox& dropDown);
    void ChooseWithPointer(tv::SkinComboBox& dropDown, int index);

    // The window's picture as the screen shows it; Screenshot saves it as shots\NAME.bmp in
    // the stage.
    void Capture(lumo::TBitmap& picture);
    void Screenshot(const std::string& name);

    tv::TAdvancedSetting* m_window = nullptr;
    // Board facts the window reads; screenOff is probed from the board unless forced.
    bool m_forceNoScreenOff = false;

private:
    void RunNextStep();

    std::vector<Step> m_steps;
    DWORD m_stepSince = 0;
    lumo::TTimer* m_stepTimer = nullptr;
};

// "Library function(args)" of every call in the journal since the last clear, in order.
std::vector<std::string> Journal();
// Only the power-gear and spin-down calls.
std::vector<std::string> HardwareJournal();

// The registry value of the Advance key; fallback when absent.
DWORD AdvanceValue(const char* name, DWORD fallback = 0xDEADBEEF);

} // namespace settingstest
