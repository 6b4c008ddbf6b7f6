#include "PngStream.h"

#include <zlib.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace pngio {
namespace {

const BYTE kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
const DWORD kPiece = 64 * 1024;
const DWORD kMaxChunkLength = 0x7FFFFFFF;
const size_t kPaletteBytes = 256 * 3;

DWORD BigEndian(const BYTE* bytes)
{
    return (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) | bytes[3];
}

void PutBigEndian(BYTE* bytes, DWORD value)
{
    bytes[0] = BYTE(value >> 24);
    bytes[1] = BYTE(value >> 16);
    bytes[2] = BYTE(value >> 8);
    bytes[3] = BYTE(value);
}

bool IsType(const BYTE* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Exactly count bytes from the caller, within the stream limit.
class Source
{
public:
    Source(PngReadFn read, void* stream) : m_read(read), m_stream(stream) {}
    bool Read(void* buffer, DWORD count)
    {
        if (count == 0) {
            return true;
        }
        if (m_total + count > kMaxStreamBytes) {
            Trace("[ReadPngEx] the stream exceeds %u bytes", unsigned(kMaxStreamBytes));
            return false;
        }
        DWORD got = m_read(m_stream, buffer, count);
        if (got != count) {
            Trace("[ReadPngEx] read %lu of %lu bytes", got, count);
            return false;
        }
        m_total += count;
        return true;
    }

private:
    PngReadFn m_read;
    void* m_stream;
    size_t m_total = 0;
};

bool ValidDepth(BYTE colorType, BYTE depth)
{
    switch (colorType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

bool ParseHeader(const BYTE* data, PngHeader& header)
{
    header.width = BigEndian(data);
    header.height = BigEndian(data + 4);
    header.bitDepth = data[8];
    header.colorType = data[9];
    if (header.width == 0 || header.height == 0 || header.width > kMaxSide ||
        header.height > kMaxSide ||
        static_cast<unsigned long long>(header.width) * header.height > kMaxPixels) {
        Trace("[ReadPngEx] image size %lu x %lu refused", header.width, header.height);
        return false;
    }
    // Compression, filter method and interlace method.
    if (!ValidDepth(header.colorType, header.bitDepth) || data[10] != 0 || data[11] != 0 ||
        data[12] > 1) {
        Trace("[ReadPngEx] bad header");
        return false;
    }
    return true;
}

} // namespace

void Trace(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    std::strcat(line, "\r\n");
    OutputDebugStringA(line);
}

bool ReadPngStream(PngReadFn read, void* stream, std::vector<BYTE>& image, PngHeader& header)
{
    Source source(read, stream);
    BYTE signature[8];
    if (!source.Read(signature, sizeof signature) ||
        std::memcmp(signature, kSignature, sizeof signature) != 0) {
        Trace("[ReadPngEx] not a PNG");
        return false;
    }
    image.assign(signature, signature + sizeof signature);

    std::vector<BYTE> piece;
    bool first = true;
    bool imageData = false;
    for (;;) {
        BYTE head[8];
        if (!source.Read(head, sizeof head)) {
            return false;
        }
        const DWORD length = BigEndian(head);
        const BYTE* type = head + 4;
        for (int i = 0; i < 4; ++i) {
            BYTE c = type[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                Trace("[ReadPngEx] bad chunk type");
                return false;
            }
        }
        if (length > kMaxChunkLength) {
            Trace("[ReadPngEx] bad chunk length");
            return false;
        }
        if (first != IsType(type, "IHDR") || (first && length != 13)) {
            Trace("[ReadPngEx] the header does not come first");
            return false;
        }
        const bool critical = !(type[0] & 0x20);
        const bool transparency = IsType(type, "tRNS");
        bool keep = IsType(type, "IHDR") || IsType(type, "PLTE") || IsType(type, "IDAT") ||
                    IsType(type, "IEND") ||
                    (transparency && header.colorType != 4 && header.colorType != 6);
        if (critical && !keep) {
            Trace("[ReadPngEx] unknown critical chunk %.4s", reinterpret_cast<const char*>(type));
            return false;
        }

        const size_t start = image.size();
        if (keep) {
            image.insert(image.end(), head, head + sizeof head);
        }
        uLong crc = crc32(0L, type, 4);
        for (DWORD done = 0; done < length;) {
            DWORD count = length - done < kPiece ? length - done : kPiece;
            piece.resize(count);
            if (!source.Read(piece.data(), count)) {
                return false;
            }
            crc = crc32(crc, piece.data(), count);
            if (keep) {
                image.insert(image.end(), piece.begin(), piece.end());
            }
            done += count;
        }
        BYTE stored[4];
        if (!source.Read(stored, sizeof stored)) {
            return false;
        }
        if (BigEndian(stored) != static_cast<DWORD>(crc)) {
            Trace("[ReadPngEx] CRC error in %.4s", reinterpret_cast<const char*>(type));
            return false;
        }

        if (first) {
            first = false;
            if (!ParseHeader(image.data() + start + 8, header)) {
                return false;
            }
        } else if (IsType(type, "IHDR")) {
            Trace("[ReadPngEx] second header");
            return false;
        } else if (IsType(type, "PLTE")) {
            if (length == 0 || length % 3 != 0 || length > kPaletteBytes) {
                Trace("[ReadPngEx] bad palette");
                return false;
            }
            if (header.colorType == 3) {
                // Indices past a short palette would take whatever the decoder has there: make
                // them black.
                image.insert(image.end(), kPaletteBytes - length, 0);
                PutBigEndian(image.data() + start, static_cast<DWORD>(kPaletteBytes));
            }
        } else if (transparency && keep) {
            header.transparency = true;
        } else if (IsType(type, "IDAT")) {
            imageData = true;
        } else if (IsType(type, "IEND")) {
            if (!imageData) {
                Trace("[ReadPngEx] no image data");
                return false;
            }
            image.insert(image.end(), stored, stored + sizeof stored);
            return true;
        }
        // The decoder does not check CRCs: the stored one is kept as it is.
        if (keep) {
            image.insert(image.end(), stored, stored + sizeof stored);
        }
    }
}

} // namespace pngio
