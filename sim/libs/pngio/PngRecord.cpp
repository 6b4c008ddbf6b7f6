#include "PngData.h"

#include <cstdlib>
#include <cstring>

namespace pngio {

bool AllocateRecord(PngData& data, DWORD width, DWORD height, DWORD colorType)
{
    data = PngData();
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<unsigned long long>(width) * height > kMaxPixels) {
        return false;
    }
    const size_t stride = static_cast<size_t>(width) * BytesPerPixel(colorType);
    const size_t pointers = static_cast<size_t>(height) * sizeof(BYTE*);
    // One block: the row pointers, then the rows.
    BYTE* block = static_cast<BYTE*>(std::calloc(1, pointers + stride * height));
    if (!block) {
        return false;
    }
    BYTE** rows = reinterpret_cast<BYTE**>(block);
    for (DWORD y = 0; y < height; ++y) {
        rows[y] = block + pointers + stride * y;
    }
    data.width = width;
    data.height = height;
    data.reserved1 = 8;
    data.colorType = colorType;
    data.reserved2 = static_cast<DWORD>(stride);
    data.rows = rows;
    return true;
}

void FreeRecord(PngData& data)
{
    std::free(data.rows);
    data = PngData();
}

} // namespace pngio
