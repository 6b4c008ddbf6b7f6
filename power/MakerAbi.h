#pragma once
// The binary interface of the maker's libraries as the program calls them: every entry point is
// __stdcall and exported under its undecorated name, in the 32-bit and the 64-bit build alike.
// Results are byte booleans (nonzero = success); int is 32-bit signed.
#include <windows.h>

namespace tv::maker {

typedef unsigned char BOOL8;

// OptiGear.dll
typedef BOOL8(__stdcall* NoArgFn)();
typedef BOOL8(__stdcall* OutIntFn)(int* value);
typedef BOOL8(__stdcall* IntFn)(int value);
typedef BOOL8(__stdcall* GetItemFn)(int item, int* value);
typedef BOOL8(__stdcall* SetItemFn)(int item, int value);
typedef BOOL8(__stdcall* SetItemExFn)(int item, int a, int b);
typedef BOOL8(__stdcall* FourIntFn)(int a, int b, int c, int d);

// KdSpindownTimeout.dll
typedef BOOL8(__stdcall* SpindownFn)(DWORD* seconds);

// KdIo.dll
typedef BOOL8(__stdcall* KdIoOpenFn)(const char* systemFolder);
typedef BOOL8(__stdcall* KdIoCloseFn)();
typedef BYTE(__stdcall* KdIoInFn)(WORD port);
typedef BOOL8(__stdcall* KdIoOutFn)(WORD port, BYTE value);

// Looks an entry up by name; null when it is missing.
template <typename Function> Function Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace tv::maker
