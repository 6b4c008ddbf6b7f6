#include "tests/settings/SettingsTestSupport.h"

#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Forms/Timer.h"
#include "lumo/Kd/KdButton.h"
#include "monitor/FirmwareProbe.h"
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/PowerGear.h"
#include "power/PowerGearSelection.h"
#include "power/WindowsVersion.h"
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "sim/board/Numbers.h"
#include "tests/support/Support.h"

namespace settingstest {

void SettingsTest::SetUp()
{
    tvtest::ResetProgramRegistry();
    std::string error;
    ASSERT_TRUE(simboard::Reset("default", &error)) << error;
    tv::SelectPowerGearImplementation(0);
    tv::PowerGear::Instance();
    tv::AdvanceSettings& store = tv::AdvanceSettings::Instance();
    store.LoadDefaults();
    for (int i = 0; i < 4; ++i) {
        store.SetProfile(i, store.GetProfile(i));
    }
    store.SaveAll();
    simboard::ClearJournal();
    kdtest::KdTest::SetUp();
    m_window = new tv::TAdvancedSetting(m_app.get());
    m_window->SetBoardSource([this] {
        tv::AdvancedSettingBoard board;
        board.screenOff = !m_forceNoScreenOff && tv::ProbeFirmwareDozeCapable();
        board.fanControl = tv::PowerGear::Instance().IsKFanThreeSupported();
        board.familyF =
            tv::controller::IsFFamily(tv::ReadControllerType(tv::PowerGear::Instance()));
        board.windowsMajor = tv::QueryWindowsMajorVersion();
        return board;
    });
    m_stepTimer = new lumo::TTimer(m_app.get());
    m_stepTimer->SetEnabled(false);
    m_stepTimer->SetInterval(20);
    m_stepTimer->OnTimer = [this](lumo::TObject*) { RunNextStep(); };
}

void SettingsTest::TearDown()
{
    m_steps.clear();
    kdtest::KdTest::TearDown();
    tvtest::ResetProgramRegistry();
}

SettingsTest::Step SettingsTest::WhenShown(std::function<void()> action)
{
    return Step{[this] { return m_window->IsModal() && IsWindowVisible(m_window->Handle()); },
                std::move(action)};
}

SettingsTest::Step SettingsTest::Then(std::function<void()> action)
{
    return Step{[] { return true; }, std::move(action)};
}

void SettingsTest::Schedule(std::vector<Step> steps)
{
    m_steps = std::move(steps);
    m_stepSince = GetTickCount();
    m_stepTimer->SetEnabled(!m_steps.empty());
}

void SettingsTest::RunNextStep()
{
    if (m_steps.empty()) {
        m_stepTimer->SetEnabled(false);
        return;
    }
    Step& step = m_steps.front();
    if (!step.ready()) {
        if (GetTickCount() - m_stepSince > 5000) {
            ADD_FAILURE() << "a step's condition did not come; " << m_steps.size() << " left";
            m_steps.clear();
            m_stepTimer->SetEnabled(false);
            if (m_window->IsModal()) {
                m_window->SetModalResult(tv::TAdvancedSetting::kCancelled);
            }
        }
        return;
    }
    // The action may pump messages: this timer must not run it twice.
    m_stepTimer->SetEnabled(false);
    std::function<void()> action = std::move(step.action);
    m_steps.erase(m_steps.begin());
    action();
    if (HasFatalFailure() && m_window->IsModal()) {
        m_steps.clear();
        m_window->SetModalResult(tv::TAdvancedSetting::kCancelled);
    }
    m_stepSince = GetTickCount();
    m_stepTimer->SetEnabled(!m_steps.empty());
}

int SettingsTest::RunShown(std::vector<Step> steps)
{
    Schedule(std::move(steps));
    m_window->MakeTopmost();
    int result = m_window->ShowAdvancedSettings();
    EXPECT_TRUE(StepsDone()) << "the window closed before every step ran";
    m_steps.clear();
    return result;
}

void SettingsTest::ClickControl(lumo::TControl& control)
{
    ClickAt(control, control.Width() / 2, control.Height() / 2);
}

void SettingsTest::Key(WORD key, bool alt)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (alt) {
        add(VK_MENU, false);
    }
    add(key, false);
    add(key, true);
    if (alt) {
        add(VK_MENU, true);
    }
    ASSERT_EQ(inputs.size(),
              SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
    PumpFor(100);
}

void SettingsTest::OpenWithPointer(tv::SkinComboBox& dropDown)
{
    ClickControl(dropDown.ArrowButton());
    if (PumpUntil([&] { return dropDown.DroppedDown(); }, 5000)) {
        return;
    }
    // A loaded display now and then loses a click; the arrow toggles, so only after a long wait.
    ClickControl(dropDown.ArrowButton());
    PumpUntil([&] { return dropDown.DroppedDown(); }, 10000);
}

void SettingsTest::ChooseWithPointer(tv::SkinComboBox& dropDown, int index)
{
    if (!dropDown.DroppedDown()) {
        OpenWithPointer(dropDown);
        ASSERT_TRUE(dropDown.DroppedDown()) << "no panel";
    }
    lumo::TListBox& list = dropDown.List();
    HWND listWindow = list.ListHandle();
    SendMessageA(listWindow, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item = list.ItemRect(index);
    POINT point = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(listWindow, &point);
    MoveTo(point);
    LeftDown();
    LeftUp();
}

void SettingsTest::Capture(lumo::TBitmap& picture)
{
    m_window->Repaint();
    PumpFor(100);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(m_window->Handle(), &rect));
    picture.SetPixelFormat(lumo::TPixelFormat::pf24bit);
    picture.SetSize(rect.right - rect.left, rect.bottom - rect.top);
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    BOOL copied = BitBlt(picture.Canvas().Handle(), 0, 0, picture.Width(), picture.Height(), screen,
                         rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(copied);
    picture.Changed();
}

void SettingsTest::Screenshot(const std::string& name)
{
    lumo::TBitmap picture;
    Capture(picture);
    const std::string folder = tvtest::StageDir() + "shots";
    CreateDirectoryA(folder.c_str(), nullptr);
    picture.SaveToFile(folder + "\\" + name + ".bmp");
}

std::vector<std::string> Journal()
{
    std::vector<std::string> calls;
    for (const simboard::JournalEntry& entry : simboard::ReadJournal().entries) {
        std::string text =
            std::string(simboard::LibraryName(entry.library)) + " " + entry.function + "(";
        for (size_t i = 0; i < entry.args.size(); ++i) {
            text += (i ? ", " : "") + simboard::FormatValue(entry.args[i]);
        }
        calls.push_back(text + ")");
    }
    return calls;
}

std::vector<std::string> HardwareJournal()
{
    std::vector<std::string> calls;
    for (const std::string& call : Journal()) {
        if (call.rfind("OptiGear OptiGearSet", 0) == 0 ||
            call.rfind("KdSpindownTimeout Kd", 0) == 0) {
            calls.push_back(call);
        }
    }
    return calls;
}

DWORD AdvanceValue(const char* name, DWORD fallback)
{
    return tvtest::ReadRawDword(tv::reg::kAdvanceKey, name, fallback);
}

} // namespace settingstest
