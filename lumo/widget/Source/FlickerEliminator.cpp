#include "lumo/widget/Source/FlickerEliminator.h"

#include "lumo/Forms/WinControl.h"
#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"

namespace lumo {
namespace {

// The previous procedure stays on the window as long as our procedure may be called; the
// owner only while erasing is suppressed.
constexpr const char* kPreviousProp = "lumo.FlickerEliminator.Previous";
constexpr const char* kOwnerProp = "lumo.FlickerEliminator.Owner";

WNDPROC ToProc(HANDLE value)
{
    return reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(value));
}

} // namespace

void FlickerEliminator::Attach(TWinControl& control)
{
    Attach(control.Handle());
}

void FlickerEliminator::Attach(HWND window)
{
    LUMO_ASSERT(m_control == NULL);
    if (!IsWindow(window)) {
        TraceLog("[FlickerEliminator::Attach] not a window");
        return;
    }
    HANDLE chained = GetPropA(window, kPreviousProp);
    if (chained && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) ==
                       &FlickerEliminator::WindowProc) {
        // Our procedure is still in place from an earlier attachment: take it over.
        SetPropA(window, kOwnerProp, this);
        m_control = window;
        return;
    }
    LONG_PTR previous = SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FlickerEliminator::WindowProc));
    if (!previous) {
        TraceLog("[FlickerEliminator::Attach] SetWindowLongPtr failed! GetLastError returned %lu",
                 GetLastError());
        return;
    }
    SetPropA(window, kPreviousProp, reinterpret_cast<HANDLE>(previous));
    SetPropA(window, kOwnerProp, this);
    m_control = window;
}

void FlickerEliminator::Detach()
{
    if (m_control == NULL) {
        return;
    }
    HWND window = m_control;
    m_control = NULL;
    RemovePropA(window, kOwnerProp);
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) ==
        &FlickerEliminator::WindowProc) {
        HANDLE previous = RemovePropA(window, kPreviousProp);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
}

LRESULT CALLBACK FlickerEliminator::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    WNDPROC previous = ToProc(GetPropA(window, kPreviousProp));
    if (message == WM_ERASEBKGND && GetPropA(window, kOwnerProp)) {
        return 1;
    }
    if (message == WM_NCDESTROY) {
        if (auto* owner = static_cast<FlickerEliminator*>(GetPropA(window, kOwnerProp))) {
            owner->m_control = NULL;
        }
        RemovePropA(window, kOwnerProp);
        RemovePropA(window, kPreviousProp);
    }
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

} // namespace lumo
