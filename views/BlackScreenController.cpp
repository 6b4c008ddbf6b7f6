#include "views/BlackScreenController.h"

#include "lumo/Forms/Timer.h"
#include "lumo/System/Source/TraceLog.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/GearLevel.h"
#include "power/OptiDozeLib.h"
#include "views/BlackScreen.h"

#include <cstdlib>

namespace tv {

BlackScreenController& BlackScreenController::Instance()
{
    // Never destroyed: the forms it serves are gone before static destruction.
    static BlackScreenController* instance = new BlackScreenController();
    return *instance;
}

BlackScreenController::BlackScreenController(CpuPowerMonitor* monitor, OptiDozeLib* doze)
    : m_monitor(monitor), m_doze(doze)
{}

BlackScreenController::~BlackScreenController()
{
    Attach(nullptr);
}

CpuPowerMonitor& BlackScreenController::Monitor()
{
    return m_monitor ? *m_monitor : CpuPowerMonitor::Instance();
}

OptiDozeLib& BlackScreenController::Doze()
{
    return m_doze ? *m_doze : OptiDozeLib::Instance();
}

void BlackScreenController::Attach(TBlackScreen* window)
{
    if (m_window) {
        m_window->OnMouseMove = nullptr;
        m_window->OnMouseDown = nullptr;
        m_window->OnKeyDown = nullptr;
        m_window->OnHidden = nullptr;
    }
    m_window = window;
    if (!window) {
        m_timer.reset();
        return;
    }
    if (!m_timer) {
        m_timer = std::make_unique<lumo::TTimer>(nullptr);
        m_timer->SetEnabled(false);
        m_timer->SetInterval(m_reblankMs);
        m_timer->OnTimer = [this](lumo::TObject*) { Reblank(); };
    }
    window->OnMouseMove = [this](lumo::TObject*, lumo::TShiftState, int x, int y) {
        MouseMoved(x, y);
    };
    window->OnMouseDown = [this](lumo::TObject*, lumo::TMouseButton, lumo::TShiftState, int, int) {
        MousePressed();
    };
    window->OnKeyDown = [this](lumo::TObject*, WORD& key, lumo::TShiftState) {
        KeyPressed();
        key = 0;
    };
    // Hidden by anything else (the application minimised): leave the doze all the same.
    window->OnHidden = [this] {
        if (m_active && !m_leaving) {
            TraceLog("~~~[BlackScreen] the black window was hidden: leaving the doze");
            Finish(false);
        }
    };
}

bool BlackScreenController::Visible() const
{
    return m_window && m_window->Showing();
}

bool BlackScreenController::ReblankPending() const
{
    return m_timer && m_timer->Enabled();
}

void BlackScreenController::SetReblankInterval(unsigned ms)
{
    m_reblankMs = ms;
    if (m_timer) {
        m_timer->SetInterval(ms);
    }
}

void BlackScreenController::Enter()
{
    if (!m_window) {
        TraceLog("~~~[BlackScreen] no black window to show");
        return;
    }
    if (m_active || Visible()) {
        return;
    }
    TraceLog("~~~[BlackScreen] enter");
    OptiDozeLib& doze = Doze();
    doze.Mute();
    doze.ScreenOff();
    m_active = true;
    m_armed = false;
    m_window->SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    m_window->Show();
    // Keys reach the window only while it is the foreground window.
    SetForegroundWindow(m_window->Handle());
    SetFocus(m_window->Handle());
    if (!m_cursorHidden) {
        ShowCursor(FALSE);
        m_cursorHidden = true;
    }
    CpuPowerMonitor& monitor = Monitor();
    m_rememberedMode = monitor.CurrentMode();
    monitor.ApplyMode(kGearMaxSaving, true);
}

void BlackScreenController::Leave()
{
    if (m_active && Visible()) {
        Finish(true);
    }
}

void BlackScreenController::Finish(bool hide)
{
    TraceLog("~~~[BlackScreen] leave, back to mode %d", m_rememberedMode);
    m_leaving = true;
    OptiDozeLib& doze = Doze();
    doze.Unmute();
    doze.ScreenOn();
    m_timer->SetEnabled(false);
    if (hide) {
        m_window->Hide();
    }
    if (m_cursorHidden) {
        ShowCursor(TRUE);
        m_cursorHidden = false;
    }
    m_active = false;
    m_armed = false;
    m_leaving = false;
    Monitor().ApplyMode(m_rememberedMode, true);
}

bool BlackScreenController::HideStray()
{
    if (m_active) {
        return false;
    }
    // Shown again by someone else (the application restored): input gets the screen back.
    if (Visible()) {
        m_window->Hide();
    }
    return true;
}

void BlackScreenController::MouseMoved(int x, int y)
{
    if (HideStray()) {
        return;
    }
    const POINT previous = m_last;
    m_last = POINT{x, y};
    if (!m_armed) {
        m_armed = true;
        m_timer->SetEnabled(false);
        m_timer->SetEnabled(true);
        return;
    }
    const int distance = std::abs(x - previous.x) + std::abs(y - previous.y);
    if (distance <= kJitterPixels) {
        m_armed = false;
        return;
    }
    TraceLog("~~~[BlackScreen] the pointer moved %d pixels to %d, %d", distance, x, y);
    Leave();
}

void BlackScreenController::MousePressed()
{
    if (!HideStray()) {
        TraceLog("~~~[BlackScreen] a mouse button was pressed");
        Leave();
    }
}

void BlackScreenController::KeyPressed()
{
    if (!HideStray()) {
        TraceLog("~~~[BlackScreen] a key was pressed");
        Leave();
    }
}

void BlackScreenController::Reblank()
{
    m_timer->SetEnabled(false);
    if (m_active) {
        Doze().ScreenOff();
    }
}

} // namespace tv
