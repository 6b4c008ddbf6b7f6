// drvsetup32.exe / drvsetup64.exe: refreshes the processor driver from the package beside it.
// Arguments are ignored (the launcher passes " -s"); the exit code is always 0.
#include "drvsetup/SystemSetupProbes.h"

int main()
{
    drvsetup::SystemSetupProbes probes;
    drvsetup::StdoutConsole console;
    return drvsetup::RunDriverSetup(probes, console);
}
