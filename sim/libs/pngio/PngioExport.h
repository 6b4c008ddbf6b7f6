#pragma once
// Exports of pngio.dll: WINAPI, under their plain names in both bitnesses (--kill-at).
#include "PngData.h"

#define PNGIO_API extern "C" __declspec(dllexport)

// Decodes a PNG read through read(stream, buffer, count) into data (overwritten): rows of 8-bit
// R G B A when the image has alpha (colour type 6), else R G B (colour type 2). Nonzero on
// success; on failure data is left empty. Reads nothing past the image's end.
PNGIO_API int WINAPI ReadPngEx(PngData* data, PngReadFn read, void* stream);
// Encodes data (8-bit R G B, or R G B A for colour type 6) as a PNG. Nonzero on success.
PNGIO_API int WINAPI WritePngEx(const PngData* data, PngWriteFn write, void* stream);
// Frees what ReadPngEx or AllocatePngData put into data and empties it.
PNGIO_API void WINAPI FreePngData(PngData* data);
// Fills data with zeroed rows for an image of that size. Nonzero on success.
PNGIO_API int WINAPI AllocatePngData(PngData* data, DWORD width, DWORD height, DWORD colorType);
