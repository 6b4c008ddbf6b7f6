#pragma once
// Registration of the window classes of this module, once per process and class name.
#include <windows.h>

namespace lumo {

// Registers windowClass (cbSize and hInstance are filled in here) unless a class of its name is
// registered already, by an earlier call or otherwise. True when the class can be used; a
// failure is traced with GetLastError under the tag. Any thread may call it.
bool RegisterWindowClass(const char* tag, WNDCLASSEXA windowClass);

} // namespace lumo
