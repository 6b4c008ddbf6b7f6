#pragma once
// Every message box of the program goes through here, so that in-process tests can replace
// the real, blocking MessageBoxA with a recorder.
#include <windows.h>

namespace lumo {

using MessageBoxHook = int (*)(void* context, HWND owner, const char* text, const char* caption,
                               UINT type);

// Shows the box through the hook when one is set, else through MessageBoxA.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Replaces the box for the whole process; nullptr restores MessageBoxA. The hook may be called
// from any thread.
void SetMessageBoxHook(MessageBoxHook hook, void* context);

} // namespace lumo
