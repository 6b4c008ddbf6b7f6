#include "lumo/Forms/Types.h"

namespace lumo {

COLORREF ColorToRGB(TColor color)
{
    if (color < 0) {
        return GetSysColor(color & 0xFF);
    }
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

TShiftState MouseShiftState(WPARAM keyFlags)
{
    TShiftState state = 0;
    if (keyFlags & MK_SHIFT) {
        state |= ssShift;
    }
    if (keyFlags & MK_CONTROL) {
        state |= ssCtrl;
    }
    if (keyFlags & MK_LBUTTON) {
        state |= ssLeft;
    }
    if (keyFlags & MK_RBUTTON) {
        state |= ssRight;
    }
    if (keyFlags & MK_MBUTTON) {
        state |= ssMiddle;
    }
    if (GetKeyState(VK_MENU) < 0) {
        state |= ssAlt;
    }
    return state;
}

TShiftState KeyboardShiftState()
{
    TShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        state |= ssShift;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        state |= ssCtrl;
    }
    if (GetKeyState(VK_MENU) < 0) {
        state |= ssAlt;
    }
    return state;
}

} // namespace lumo
