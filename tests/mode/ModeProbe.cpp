// modeprobe.exe: runs mode threads in a process of its own, one after the other, as the program
// would. Arguments: pairs MODE APPLY (numbers, APPLY 0 or 1). Exit code 0 when every thread
// ended, 2 for bad arguments. Tests kill it in the middle of a body, or run it with another
// Powrprof.dll than their own process has loaded.
#include "power/ControllerType.h"
#include "power/GearLevel.h"
#include "power/ModeThread.h"
#include "power/PowerGearSelection.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (argc < 3 || (argc - 1) % 2 != 0) {
        std::fprintf(stderr, "usage: modeprobe MODE APPLY [MODE APPLY]...\n");
        return 2;
    }
    tv::SelectPowerGearImplementation(0);
    const uint32_t type = tv::ControllerType();
    for (int i = 1; i + 1 < argc; i += 2) {
        const int mode = static_cast<int>(std::strtol(argv[i], nullptr, 0));
        const bool apply = std::strtol(argv[i + 1], nullptr, 0) != 0;
        tv::TSetPowerGearThread thread(tv::NormalizeGearLevel(mode), apply, type);
        thread.WaitFor();
    }
    return 0;
}
