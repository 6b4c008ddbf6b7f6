#include "lumo/Forms/BmpCodec.h"

#include "lumo/Forms/Exception.h"

#include <cstdint>
#include <cstring>

namespace lumo::bmp {
namespace {

constexpr size_t kFileHeaderSize = 14;
// Pictures beyond this many pixels are refused rather than allocated.
constexpr long long kMaxPixels = 1LL << 26;

std::uint32_t U32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t U16(const BYTE* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void Put32(std::vector<BYTE>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
}

void Put16(std::vector<BYTE>& out, std::uint16_t v)
{
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

[[noreturn]] void Fail(const char* why)
{
    throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + why);
}

// One colour channel described by a bit mask, scaled to 8 bits.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (!mask) {
            return;
        }
        while (!((mask >> shift) & 1)) {
            ++shift;
        }
        max = mask >> shift;
        if (max & (max + 1)) {
            Fail("colour mask is not contiguous");
        }
    }
    BYTE Extract(std::uint32_t pixel) const
    {
        if (!mask) {
            return 0;
        }
        return static_cast<BYTE>(((pixel & mask) >> shift) * 255 / max);
    }
};

} // namespace

int Stride(int width, TPixelFormat format)
{
    return ((width * static_cast<int>(format) + 31) / 32) * 4;
}

std::vector<RGBQUAD> DefaultPalette16()
{
    static const BYTE colours[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    std::vector<RGBQUAD> palette(16);
    for (int i = 0; i < 16; ++i) {
        palette[i].rgbRed = colours[i][0];
        palette[i].rgbGreen = colours[i][1];
        palette[i].rgbBlue = colours[i][2];
        palette[i].rgbReserved = 0;
    }
    return palette;
}

bool FindDirectRows(const BYTE* data, size_t size, DirectRows& rows)
{
    constexpr size_t kInfoSize = 40;
    if (!data || size < kInfoSize || U32(data) != kInfoSize) {
        return false;
    }
    long long width = static_cast<std::int32_t>(U32(data + 4));
    long long height = static_cast<std::int32_t>(U32(data + 8));
    int bpp = U16(data + 14);
    std::uint32_t colorsUsed = U32(data + 32);
    bool topDown = height < 0;
    height = topDown ? -height : height;
    if (U32(data + 16) != BI_RGB || (bpp != 24 && bpp != 32) || width <= 0 || height <= 0 ||
        width * height > kMaxPixels || colorsUsed > 256) {
        return false;
    }
    // A colour table may come with 24 or 32 bits too; the pixels follow it.
    size_t offset = kInfoSize + 4 * static_cast<size_t>(colorsUsed);
    size_t stride = static_cast<size_t>(((width * bpp + 31) / 32) * 4);
    if (offset > size || (size - offset) / stride < static_cast<size_t>(height)) {
        return false;
    }
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(height);
    rows.format = bpp == 32 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
    const BYTE* pixels = data + offset;
    rows.first = topDown ? pixels : pixels + stride * static_cast<size_t>(height - 1);
    rows.step = topDown ? static_cast<std::ptrdiff_t>(stride) : -static_cast<std::ptrdiff_t>(stride);
    return true;
}

Picture Decode(const BYTE* data, size_t size)
{
    if (!data) {
        Fail("no data");
    }
    size_t info = 0;
    size_t pixelOffset = 0;
    bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (fileHeader) {
        if (size < kFileHeaderSize + 4) {
            Fail("file too short");
        }
        info = kFileHeaderSize;
        pixelOffset = U32(data + 10);
    }
    if (size < info + 4) {
        Fail("header missing");
    }
    std::uint32_t headerSize = U32(data + info);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124) {
        Fail("unknown header");
    }
    if (size < info + headerSize) {
        Fail("header truncated");
    }
    const BYTE* h = data + info;
    long long width;
    long long height;
    int bpp;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    size_t paletteEntrySize = 4;
    if (headerSize == 12) {
        width = U16(h + 4);
        height = U16(h + 6);
        bpp = U16(h + 10);
        paletteEntrySize = 3;
    } else {
        width = static_cast<std::int32_t>(U32(h + 4));
        height = static_cast<std::int32_t>(U32(h + 8));
        bpp = U16(h + 14);
        compression = U32(h + 16);
        colorsUsed = U32(h + 32);
    }
    bool topDown = height < 0;
    if (topDown) {
        height = -height;
    }
    if (width <= 0 || height <= 0 || width * height > kMaxPixels) {
        Fail("bad size");
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        Fail("unsupported colour depth");
    }
    size_t cursor = info + headerSize;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool bitFields = compression == BI_BITFIELDS || compression == 6 /* BI_ALPHABITFIELDS */;
    if (compression != BI_RGB && !bitFields) {
        Fail("compressed bitmaps are not supported");
    }
    if (bitFields) {
        if (bpp != 16 && bpp != 32) {
            Fail("bit fields need 16 or 32 bits");
        }
        int maskCount = compression == 6 ? 4 : 3;
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) {
                masks[i] = U32(h + 40 + 4 * i);
            }
            if (headerSize >= 56) {
                masks[3] = U32(h + 52);
            }
        } else {
            if (size < cursor + 4 * maskCount) {
                Fail("bit fields truncated");
            }
            for (int i = 0; i < maskCount; ++i) {
                masks[i] = U32(data + cursor + 4 * i);
            }
            cursor += 4 * maskCount;
        }
    } else if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }

    std::vector<RGBQUAD> palette;
    if (bpp <= 8) {
        size_t count = colorsUsed ? colorsUsed : (1u << bpp);
        if (count > (1u << bpp)) {
            Fail("palette too large");
        }
        if (size < cursor + count * paletteEntrySize) {
            Fail("palette truncated");
        }
        palette.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const BYTE* e = data + cursor + i * paletteEntrySize;
            palette[i].rgbBlue = e[0];
            palette[i].rgbGreen = e[1];
            palette[i].rgbRed = e[2];
            palette[i].rgbReserved = 0;
        }
        cursor += count * paletteEntrySize;
    }
    if (!fileHeader) {
        pixelOffset = cursor;
    }
    if (pixelOffset < cursor || pixelOffset > size) {
        Fail("pixel data offset out of range");
    }
    size_t fileStride = static_cast<size_t>(((width * bpp + 31) / 32) * 4);
    if ((size - pixelOffset) / fileStride < static_cast<size_t>(height)) {
        Fail("pixel data truncated");
    }

    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    if (bpp == 4) {
        picture.format = TPixelFormat::pf4bit;
        picture.palette = palette;
        picture.palette.resize(16, RGBQUAD{0, 0, 0, 0});
    } else if (bpp == 32) {
        picture.format = TPixelFormat::pf32bit;
    } else {
        picture.format = TPixelFormat::pf24bit;
    }
    int stride = Stride(picture.width, picture.format);
    picture.rows.assign(static_cast<size_t>(stride) * picture.height, 0);

    Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    for (int y = 0; y < picture.height; ++y) {
        int fileRow = topDown ? y : picture.height - 1 - y;
        const BYTE* src = data + pixelOffset + fileStride * fileRow;
        BYTE* dst = picture.rows.data() + static_cast<size_t>(stride) * y;
        if (bpp == 4 || bpp == 24 || (bpp == 32 && !bitFields)) {
            std::memcpy(dst, src, fileStride);
            continue;
        }
        for (int x = 0; x < picture.width; ++x) {
            BYTE b = 0, g = 0, r = 0, a = 255;
            if (bpp == 1 || bpp == 8) {
                unsigned index = bpp == 8 ? src[x] : (src[x / 8] >> (7 - x % 8)) & 1;
                if (index < palette.size()) {
                    b = palette[index].rgbBlue;
                    g = palette[index].rgbGreen;
                    r = palette[index].rgbRed;
                }
            } else {
                std::uint32_t pixel = bpp == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
                b = blue.Extract(pixel);
                g = green.Extract(pixel);
                r = red.Extract(pixel);
                if (masks[3]) {
                    a = alpha.Extract(pixel);
                }
            }
            if (picture.format == TPixelFormat::pf32bit) {
                dst[4 * x] = b;
                dst[4 * x + 1] = g;
                dst[4 * x + 2] = r;
                dst[4 * x + 3] = a;
            } else {
                dst[3 * x] = b;
                dst[3 * x + 1] = g;
                dst[3 * x + 2] = r;
            }
        }
    }
    return picture;
}

std::vector<BYTE> Encode(const Picture& picture)
{
    int bpp = static_cast<int>(picture.format);
    int stride = Stride(picture.width, picture.format);
    std::uint32_t paletteBytes = bpp == 4 ? 16 * 4 : 0;
    std::uint32_t offset = static_cast<std::uint32_t>(kFileHeaderSize) + 40 + paletteBytes;
    std::uint32_t imageBytes = static_cast<std::uint32_t>(stride) * picture.height;
    std::vector<BYTE> out;
    out.reserve(offset + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(picture.width));
    Put32(out, static_cast<std::uint32_t>(picture.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(bpp));
    Put32(out, BI_RGB);
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, bpp == 4 ? 16 : 0);
    Put32(out, 0);
    if (bpp == 4) {
        std::vector<RGBQUAD> palette = picture.palette;
        palette.resize(16, RGBQUAD{0, 0, 0, 0});
        for (const RGBQUAD& e : palette) {
            out.push_back(e.rgbBlue);
            out.push_back(e.rgbGreen);
            out.push_back(e.rgbRed);
            out.push_back(0);
        }
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        const BYTE* row = picture.rows.data() + static_cast<size_t>(stride) * y;
        out.insert(out.end(), row, row + stride);
    }
    return out;
}

} // namespace lumo::bmp
