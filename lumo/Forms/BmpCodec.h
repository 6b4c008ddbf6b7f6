#pragma once
// Reading and writing the BMP file format, independent of GDI.
#include "lumo/Forms/Bitmap.h"

#include <cstddef>
#include <vector>

namespace lumo::bmp {

struct Picture
{
    int width = 0;
    int height = 0;
    TPixelFormat format = TPixelFormat::pf24bit;
    std::vector<RGBQUAD> palette; // 16 entries for 4 bits, else empty
    std::vector<BYTE> rows;       // top-down, each row padded to a multiple of 4 bytes
};

int Stride(int width, TPixelFormat format);

// data: a BMP file, or a packed DIB (info header first) as stored in resources.
// Throws EInvalidGraphic for anything it cannot read completely.
Picture Decode(const BYTE* data, size_t size);

// Where the rows of a packed DIB can be read as they stand: 24 or 32 bits, uncompressed, with a
// plain info header, complete. Row y (0 = top) is at first + step * y.
struct DirectRows
{
    int width = 0;
    int height = 0;
    TPixelFormat format = TPixelFormat::pf24bit;
    const BYTE* first = nullptr;
    std::ptrdiff_t step = 0;
};
// False for anything else (Decode reads that).
bool FindDirectRows(const BYTE* data, size_t size, DirectRows& rows);

// A complete BMP file of the picture (rows top-down in, bottom-up in the file).
std::vector<BYTE> Encode(const Picture& picture);

// The 16 colours that 4-bit bitmaps use unless a file brings its own.
std::vector<RGBQUAD> DefaultPalette16();

} // namespace lumo::bmp
