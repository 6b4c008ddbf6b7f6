// pngio.dll: PNG reading and writing through caller-supplied stream functions.
#include "PngCodec.h"
#include "PngioExport.h"

#include <new>

using namespace pngio;

PNGIO_API int WINAPI ReadPngEx(PngData* data, PngReadFn read, void* stream)
{
    if (!data) {
        return 0;
    }
    *data = PngData();
    if (!read) {
        return 0;
    }
    try {
        std::vector<BYTE> image;
        PngHeader header;
        if (!ReadPngStream(read, stream, image, header)) {
            return 0;
        }
        return DecodePng(image, header, *data) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        Trace("[ReadPngEx] out of memory");
        FreeRecord(*data);
        return 0;
    }
}

PNGIO_API int WINAPI WritePngEx(const PngData* data, PngWriteFn write, void* stream)
{
    if (!data || !write) {
        return 0;
    }
    try {
        std::vector<BYTE> png;
        if (!EncodePng(*data, png)) {
            return 0;
        }
        const DWORD kPiece = 1 << 20;
        for (size_t done = 0; done < png.size();) {
            DWORD count = png.size() - done < kPiece ? DWORD(png.size() - done) : kPiece;
            if (write(stream, png.data() + done, count) != count) {
                Trace("[WritePngEx] the stream took fewer bytes than given");
                return 0;
            }
            done += count;
        }
        return 1;
    } catch (const std::bad_alloc&) {
        Trace("[WritePngEx] out of memory");
        return 0;
    }
}

PNGIO_API void WINAPI FreePngData(PngData* data)
{
    if (data) {
        FreeRecord(*data);
    }
}

PNGIO_API int WINAPI AllocatePngData(PngData* data, DWORD width, DWORD height, DWORD colorType)
{
    if (!data) {
        return 0;
    }
    return AllocateRecord(*data, width, height, colorType) ? 1 : 0;
}
