#pragma once
// Every message box of the program goes through here, so that in-process tests can replace
// the real, blocking MessageBoxA with a recorder.
#include <windows.h>

namespace lumo {

using MessageBoxHook = int (*)(void* context, HWND owner, const char* text, const char* caption,
                               UINT type);

// Shows the box through the hook when one is set, else through MessageBoxA.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// An information box (its answer unused) that does not hold the caller: shown by a thread of its
// own, so a first use of a process-wide object that fails can tell the user without running a
// message loop inside that object's one-time set-up (a timer handled there would wait for the
// set-up for ever). With a hook set, the hook is called on the calling thread as usual.
void ShowMessageBoxAside(const char* text, const char* caption, UINT type = MB_OK);

// Replaces the box for the whole process; nullptr restores MessageBoxA. The hook may be called
// from any thread.
void SetMessageBoxHook(MessageBoxHook hook, void* context);

} // namespace lumo
