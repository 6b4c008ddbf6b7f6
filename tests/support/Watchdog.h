#pragma once
// The last bound of every test program: a test that runs longer than its limit (it waits on a
// child, a window or a pipe that never answers) ends the program with its name on stderr, so
// that a hang is reported where it happened instead of as a bare CTest time-out.
#include <windows.h>

namespace tvtest {

// Limit of one test: TV_TEST_LIMIT_S seconds from the environment (0 turns the watchdog off, for
// a debugger session), else kDefaultTestLimitS.
constexpr DWORD kDefaultTestLimitS = 180;
DWORD TestLimitMs();

// Installs the watchdog as a GoogleTest listener; call once, after InitGoogleTest.
void InstallTestWatchdog(DWORD limitMs);

} // namespace tvtest
