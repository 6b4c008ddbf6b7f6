#include "lumo/System/Source/Assert.h"

#include <windows.h>
#include <cstdio>

namespace lumo {

void AssertionFailed(const char* condition, const char* file, int line)
{
    char message[1024];
    std::snprintf(message, sizeof message, "Assertion failed: %s, file %s, line %d\n", condition,
                  file, line);
    std::fputs(message, stderr);
    std::fflush(stderr);
    OutputDebugStringA(message);
    // A broken precondition leaves nothing worth unwinding: end at once, like the runtime's abort.
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) {
        Sleep(INFINITE);
    }
}

} // namespace lumo
