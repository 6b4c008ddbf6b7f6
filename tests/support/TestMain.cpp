// Entry of every test program: no message box, crash dialog or hung test may block an
// unattended run.
#include "tests/support/Support.h"
#include "tests/support/Watchdog.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    tvtest::InstallMessageBoxGuard();
    testing::InitGoogleTest(&argc, argv);
    tvtest::InstallTestWatchdog(tvtest::TestLimitMs());
    return RUN_ALL_TESTS();
}
