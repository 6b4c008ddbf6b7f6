// waitwindow.exe CLASS TITLE [TIMEOUT_MS]: waits until a top-level window of that class and title
// exists (either may be "*" for any). Exit code 0 when it does, 1 after the time-out (default
// 30000 ms), 2 on bad usage. Lets scripts wait for a program's window.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: waitwindow CLASS TITLE [TIMEOUT_MS]\n");
        return 2;
    }
    const char* windowClass = std::strcmp(argv[1], "*") ? argv[1] : nullptr;
    const char* title = std::strcmp(argv[2], "*") ? argv[2] : nullptr;
    DWORD timeout = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 30000;
    DWORD start = GetTickCount();
    while (!FindWindowA(windowClass, title)) {
        if (GetTickCount() - start >= timeout) {
            return 1;
        }
        Sleep(50);
    }
    return 0;
}
