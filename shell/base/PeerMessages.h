#pragma once
// Window messages through which other programs (a second instance, the suite's utilities)
// command the main window: WM_USER + n with the marker 85 ("U") in the low byte of wParam.
#include <windows.h>

namespace tv::peer {

inline constexpr WPARAM kMarker = 85;
inline constexpr UINT kClose = WM_USER;          // 1024: end the program
inline constexpr UINT kMinimize = WM_USER + 1;   // 1025: minimise the application
inline constexpr UINT kShow = WM_USER + 2;       // 1026: show the main window
inline constexpr UINT kShowPeer = WM_USER + 3;   // 1027: show the main window (second instance)
inline constexpr UINT kForeground = WM_USER + 6; // 1030: bring the main window forward

// Registered message a diagnostic tool sends to the main window: the answer is the number of
// GDI objects and memory DCs the program's library owns now (GetGuiResources is not reliable
// everywhere, and a leak shows here first).
inline constexpr char kLiveGdiObjectsMessage[] = "Tetravolt.LiveGdiObjects";

// Receivers compare only the low byte.
inline bool IsMarked(WPARAM wParam)
{
    return (wParam & 0xFF) == kMarker;
}

} // namespace tv::peer
