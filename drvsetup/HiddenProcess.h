#pragma once
// Starting a helper program without a window and waiting for it, as both setup stages do.
#include <string>

namespace drvsetup {

// CreateProcessW(application, commandLine) with no inherited handles, no creation flags and a
// hidden window; waits without a time limit. False when the program could not be started; its
// exit code is not examined.
bool StartHiddenAndWait(const std::wstring& application, const std::wstring& commandLine);

} // namespace drvsetup
