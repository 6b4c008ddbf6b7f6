#pragma once
// The decoded-image record shared with the program, and the stream callbacks.
#include <windows.h>

struct PngData
{
    DWORD width;
    DWORD height;
    DWORD reserved1; // bit depth of the decoded rows (8)
    DWORD colorType; // 6: rows are R G B A; anything else: rows are R G B
    DWORD reserved2; // bytes per row
    BYTE** rows;     // one pointer per row
};

// Bytes read or written; fewer than count means failure.
typedef DWORD(WINAPI* PngReadFn)(void* stream, void* buffer, DWORD count);
typedef DWORD(WINAPI* PngWriteFn)(void* stream, const void* buffer, DWORD count);

namespace pngio {

constexpr DWORD kColorTypeRgb = 2;
constexpr DWORD kColorTypeRgba = 6;

// Sane limits, so that a hostile header cannot exhaust memory.
constexpr DWORD kMaxSide = 16384;
constexpr DWORD kMaxPixels = 4096u * 4096u;

// Bytes per pixel of the record's rows.
inline DWORD BytesPerPixel(DWORD colorType)
{
    return colorType == kColorTypeRgba ? 4 : 3;
}

// Sets up data with zeroed rows; false for sizes outside the limits or without memory.
bool AllocateRecord(PngData& data, DWORD width, DWORD height, DWORD colorType);
void FreeRecord(PngData& data);

} // namespace pngio
