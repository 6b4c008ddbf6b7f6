#include "PngCodec.h"

#include <zlib.h>
#include <cstdlib>
#include <cstring>

// The decoder and encoder come from Debian's stb package; the encoder compresses with zlib.
namespace {
unsigned char* CompressWithZlib(unsigned char* data, int length, int* outLength, int quality);
}

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STBIW_ZLIB_COMPRESS CompressWithZlib
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

unsigned char* CompressWithZlib(unsigned char* data, int length, int* outLength, int quality)
{
    uLongf size = compressBound(static_cast<uLong>(length));
    // stb frees the result with its own STBIW_FREE, which is free().
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (!out) {
        return nullptr;
    }
    int level = quality < 0 ? Z_DEFAULT_COMPRESSION : (quality > 9 ? 9 : quality);
    if (compress2(out, &size, data, static_cast<uLong>(length), level) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(size);
    return out;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* png = static_cast<std::vector<BYTE>*>(context);
    const BYTE* bytes = static_cast<const BYTE*>(data);
    png->insert(png->end(), bytes, bytes + size);
}

} // namespace

namespace pngio {

bool DecodePng(const std::vector<BYTE>& image, const PngHeader& header, PngData& data)
{
    const bool alpha = header.colorType == 4 || header.colorType == 6 || header.transparency;
    const int channels = alpha ? 4 : 3;
    int width = 0;
    int height = 0;
    int stored = 0;
    stbi_uc* pixels = stbi_load_from_memory(image.data(), static_cast<int>(image.size()), &width,
                                            &height, &stored, channels);
    if (!pixels) {
        Trace("[ReadPngEx] decoding failed: %s", stbi_failure_reason());
        return false;
    }
    bool ok =
        DWORD(width) == header.width && DWORD(height) == header.height &&
        AllocateRecord(data, header.width, header.height, alpha ? kColorTypeRgba : kColorTypeRgb);
    if (ok) {
        const size_t stride = size_t(width) * channels;
        for (int y = 0; y < height; ++y) {
            std::memcpy(data.rows[y], pixels + stride * y, stride);
        }
    }
    stbi_image_free(pixels);
    return ok;
}

bool EncodePng(const PngData& data, std::vector<BYTE>& png)
{
    if (!data.rows || data.width == 0 || data.height == 0 || data.width > kMaxSide ||
        data.height > kMaxSide ||
        static_cast<unsigned long long>(data.width) * data.height > kMaxPixels) {
        Trace("[WritePngEx] bad record");
        return false;
    }
    const int channels = static_cast<int>(BytesPerPixel(data.colorType));
    const size_t stride = size_t(data.width) * channels;
    std::vector<BYTE> pixels(stride * data.height);
    for (DWORD y = 0; y < data.height; ++y) {
        if (!data.rows[y]) {
            Trace("[WritePngEx] row %lu missing", y);
            return false;
        }
        std::memcpy(pixels.data() + stride * y, data.rows[y], stride);
    }
    png.clear();
    if (!stbi_write_png_to_func(&AppendBytes, &png, int(data.width), int(data.height), channels,
                                pixels.data(), int(stride))) {
        Trace("[WritePngEx] encoding failed");
        return false;
    }
    return true;
}

} // namespace pngio
