#pragma once
// The idle doze's black screen: entering mutes the sound, switches the screen off, covers the
// whole screen with the black window, hides the cursor and applies Max power saving, remembering
// the mode shown before. A mouse press, a key or a move of more than 10 pixels (horizontal plus
// vertical distance between two moves) leaves it: sound, screen, cursor and the remembered mode
// come back. Smaller moves (the jitter of a desk) keep it; the screen they woke goes off again 10
// seconds after the first of them.
#include <windows.h>
#include <memory>

namespace lumo {
class TTimer;
}

namespace tv {

class TBlackScreen;
class CpuPowerMonitor;
class OptiDozeLib;

class BlackScreenController
{
public:
    static constexpr int kJitterPixels = 10;
    static constexpr unsigned kReblankMs = 10000;

    // The one of the process, over the process-wide power monitor and idle-doze library.
    static BlackScreenController& Instance();

    // Null arguments: the process-wide monitor and library, taken when first needed.
    explicit BlackScreenController(CpuPowerMonitor* monitor = nullptr, OptiDozeLib* doze = nullptr);
    ~BlackScreenController();
    BlackScreenController(const BlackScreenController&) = delete;
    BlackScreenController& operator=(const BlackScreenController&) = delete;

    // Takes over the window's mouse and key events (null: lets go of it). On the GUI thread.
    void Attach(TBlackScreen* window);
    TBlackScreen* Window() const { return m_window; }

    // Enters the doze unless the black window shows already (or there is none).
    void Enter();
    // Leaves the doze, when in it.
    void Leave();
    bool Active() const { return m_active; }
    bool Visible() const;

    // The events of the black window, client coordinates.
    void MouseMoved(int x, int y);
    void MousePressed();
    void KeyPressed();

    // A move armed the check and the screen goes off again when the timer runs out.
    bool Armed() const { return m_armed; }
    bool ReblankPending() const;
    void SetReblankInterval(unsigned ms);
    int RememberedMode() const { return m_rememberedMode; }

private:
    CpuPowerMonitor& Monitor();
    OptiDozeLib& Doze();
    void Reblank();
    // Hides the black window when it shows outside the doze; true when not in the doze.
    bool HideStray();
    void Finish(bool hide);

    CpuPowerMonitor* m_monitor;
    OptiDozeLib* m_doze;
    TBlackScreen* m_window = nullptr;
    std::unique_ptr<lumo::TTimer> m_timer;
    unsigned m_reblankMs = kReblankMs;
    bool m_active = false;
    bool m_leaving = false;
    bool m_cursorHidden = false;
    bool m_armed = false;
    POINT m_last = {0, 0};
    int m_rememberedMode = 0;
};

} // namespace tv
