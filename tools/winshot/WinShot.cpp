// winshot.exe CLASS TITLE FILE [TIMEOUT_MS]: waits until a top-level window of that class and
// title is visible, lets it paint, and saves what the screen shows in its rectangle as FILE
// (PNG through pngio.dll, or BMP for a name ending in ".bmp"). Exit code 0 when written, 1 when
// no such window showed up in time (default 30000 ms), 2 for a bad command line.
#include "tools/gallery/Screenshot.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: winshot CLASS TITLE FILE [TIMEOUT_MS]\n");
        return 2;
    }
    const DWORD timeout = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 30000;
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    for (;;) {
        window = FindWindowA(argv[1], argv[2]);
        if (window && IsWindowVisible(window)) {
            break;
        }
        if (GetTickCount() - start >= timeout) {
            std::fprintf(stderr, "winshot: no visible window %s \"%s\"\n", argv[1], argv[2]);
            return 1;
        }
        Sleep(50);
    }
    // Time to paint, and for a dial animation under way to end.
    Sleep(2500);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    lumo::TBitmap picture;
    if (!gallery::CaptureWindow(window, picture) || !gallery::SavePicture(picture, argv[3])) {
        std::fprintf(stderr, "winshot: cannot capture or write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
