// The yardstick of the start-up benchmark: the least a Win32 program does to have one hidden
// top-level window and a message loop. Ends on WM_USER with 85 in wParam, like tetravolt.exe.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_USER && (wParam & 0xFF) == 85) || message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TvMinimalWindow";
    if (!RegisterClassA(&windowClass)) {
        return 1;
    }
    if (!CreateWindowExA(0, "TvMinimalWindow", "Minimal", WS_POPUP, 0, 0, 665, 522, nullptr,
                         nullptr, instance, nullptr)) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
