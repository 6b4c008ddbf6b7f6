#pragma once
// Reads the dial's PNG pictures through "pngio.dll" beside the program into 32-bit bitmaps with
// alpha. The library is loaded once per process; without it nothing can be read (assertion
// "m_hinst").
#include "lumo/Forms/Bitmap.h"

#include <windows.h>
#include <string>

namespace tv {

// The decoded-image record the library fills: rows of R, G, B (and A for colour type 6).
struct PngRecord
{
    DWORD width;
    DWORD height;
    DWORD reserved1;
    DWORD colorType;
    DWORD reserved2;
    BYTE** rows;
};

class PngLoader
{
public:
    static constexpr DWORD kColorTypeRgba = 6;

    // The library at path; its four functions are looked up by name.
    explicit PngLoader(const std::string& libraryPath);
    ~PngLoader();
    PngLoader(const PngLoader&) = delete;
    PngLoader& operator=(const PngLoader&) = delete;

    // Over the program folder's "pngio.dll", loaded on the first call.
    static PngLoader& Instance();

    bool Loaded() const { return m_hinst != nullptr; }

    // Reads the file into bitmap as 32 bits per pixel: B, G, R, A with the PNG's alpha (a pixel
    // of alpha 0 becomes black), A = 255 without an alpha channel. A file that does not open
    // throws lumo::EFOpenError; one the library cannot decode leaves bitmap empty (false).
    bool Read(const std::string& path, lumo::TBitmap& bitmap) const;

    // The record into bitmap, which keeps its pixel format: 32-bit as above, any other 24-bit.
    static void FillBitmap(const PngRecord& record, lumo::TBitmap& bitmap);

private:
    using ReadFn = int(WINAPI*)(PngRecord* record, DWORD(WINAPI* read)(void*, void*, DWORD),
                                void* stream);
    using FreeFn = void(WINAPI*)(PngRecord* record);

    HMODULE m_hinst = nullptr;
    ReadFn m_read = nullptr;
    FreeFn m_free = nullptr;
    void* m_write = nullptr;
    void* m_allocate = nullptr;
};

} // namespace tv
