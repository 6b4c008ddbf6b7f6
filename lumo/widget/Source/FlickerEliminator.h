#pragma once
// Stops a window from erasing its background: the erase message is answered as done without
// drawing, so a skinned window never flashes its class brush before it paints.
#include <windows.h>

namespace lumo {

class TWinControl;

class FlickerEliminator
{
public:
    FlickerEliminator() = default;
    ~FlickerEliminator() { Detach(); }
    FlickerEliminator(const FlickerEliminator&) = delete;
    FlickerEliminator& operator=(const FlickerEliminator&) = delete;

    // Subclasses the window. Precondition: not attached yet.
    void Attach(HWND window);
    void Attach(TWinControl& control);
    // Restores the previous window procedure (when nobody subclassed the window after us;
    // otherwise the erase suppression alone stops).
    void Detach();
    bool IsAttached() const { return m_control != NULL; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_control = NULL;
};

} // namespace lumo
