#pragma once
// The binary interface of the maker's libraries as the stand-ins export it: every entry point is
// __stdcall, exported under its undecorated name (the DLLs link with --kill-at), in the x86_64 and
// the i686 build alike. Results are byte booleans.

typedef unsigned char BOOL8;

#define MAKER_CALL __stdcall
#define MAKER_EXPORT extern "C" __declspec(dllexport)
