#include "tests/pngio/PngBuilder.h"

#include <zlib.h>
#include <cstdlib>

namespace pngtest {
namespace {

void PutBigEndian(std::string& out, uint32_t value)
{
    out += char(value >> 24);
    out += char(value >> 16);
    out += char(value >> 8);
    out += char(value);
}

uint32_t BigEndian(const std::string& bytes, size_t at)
{
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3]);
}

int Paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// One row of packed samples for the pixels x = x0, x0 + dx, ... of row y.
std::vector<uint8_t> PackRow(const PngSpec& spec, uint32_t y, uint32_t x0, uint32_t dx)
{
    const int channels = Channels(spec.colorType);
    std::vector<uint8_t> row;
    uint32_t bits = 0;
    int used = 0;
    for (uint32_t x = x0; x < spec.width; x += dx) {
        for (int c = 0; c < channels; ++c) {
            uint16_t sample = spec.samples[(size_t(y) * spec.width + x) * channels + c];
            if (spec.depth == 16) {
                row.push_back(uint8_t(sample >> 8));
                row.push_back(uint8_t(sample));
            } else if (spec.depth == 8) {
                row.push_back(uint8_t(sample));
            } else {
                bits = (bits << spec.depth) | sample;
                used += spec.depth;
                if (used == 8) {
                    row.push_back(uint8_t(bits));
                    bits = 0;
                    used = 0;
                }
            }
        }
    }
    if (used > 0) {
        row.push_back(uint8_t(bits << (8 - used)));
    }
    return row;
}

// Appends the filtered rows of one pass; the filter type changes from row to row.
void AppendPass(const PngSpec& spec, uint32_t x0, uint32_t y0, uint32_t dx, uint32_t dy,
                std::string& raw)
{
    if (x0 >= spec.width || y0 >= spec.height) {
        return;
    }
    const size_t bpp = std::max(1, Channels(spec.colorType) * spec.depth / 8);
    std::vector<uint8_t> previous;
    int filter = 0;
    for (uint32_t y = y0; y < spec.height; y += dy, filter = (filter + 1) % 5) {
        std::vector<uint8_t> row = PackRow(spec, y, x0, dx);
        if (previous.empty()) {
            previous.assign(row.size(), 0);
        }
        raw += char(filter);
        for (size_t i = 0; i < row.size(); ++i) {
            int a = i >= bpp ? row[i - bpp] : 0;
            int b = previous[i];
            int c = i >= bpp ? previous[i - bpp] : 0;
            int predictor = 0;
            switch (filter) {
            case 1:
                predictor = a;
                break;
            case 2:
                predictor = b;
                break;
            case 3:
                predictor = (a + b) / 2;
                break;
            case 4:
                predictor = Paeth(a, b, c);
                break;
            }
            raw += char(uint8_t(row[i] - predictor));
        }
        previous = row;
    }
}

uint8_t To8(uint16_t sample, int depth)
{
    if (depth == 16) {
        return uint8_t(sample >> 8);
    }
    return uint8_t(sample * 255 / ((1 << depth) - 1));
}

} // namespace

int Channels(int colorType)
{
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

PngSpec RandomSpec(uint32_t width, uint32_t height, int colorType, int depth, bool interlaced,
                   bool transparency, uint32_t seed)
{
    Random random(seed);
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.depth = depth;
    spec.interlaced = interlaced;
    const uint32_t limit = 1u << depth;
    const int channels = Channels(colorType);
    spec.samples.resize(size_t(width) * height * channels);
    for (auto& sample : spec.samples) {
        sample = uint16_t(random.Below(limit));
    }
    if (colorType == 3) {
        for (uint32_t i = 0; i < (1u << depth); ++i) {
            for (int c = 0; c < 3; ++c) {
                spec.palette.push_back(uint8_t(random.Next()));
            }
        }
    }
    if (transparency) {
        if (colorType == 3) {
            // Shorter than the palette: the rest stays opaque.
            for (uint32_t i = 0; i < std::max(1u, (1u << depth) / 2); ++i) {
                spec.trns.push_back(uint8_t(random.Next()));
            }
        } else {
            // The colour of every third pixel becomes the transparent one.
            for (int c = 0; c < channels; ++c) {
                uint16_t value = spec.samples[c];
                spec.trns.push_back(char(value >> 8));
                spec.trns.push_back(char(value));
            }
            for (size_t p = 3; p < size_t(width) * height; p += 3) {
                for (int c = 0; c < channels; ++c) {
                    spec.samples[p * channels + c] = spec.samples[c];
                }
            }
        }
    }
    return spec;
}

std::string Chunk(const std::string& type, const std::string& data)
{
    std::string chunk;
    PutBigEndian(chunk, uint32_t(data.size()));
    chunk += type + data;
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(chunk.data() + 4), uInt(data.size() + 4));
    PutBigEndian(chunk, uint32_t(crc));
    return chunk;
}

std::string BuildPng(const PngSpec& spec)
{
    std::string raw;
    if (spec.interlaced) {
        static const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                              {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                              {0, 1, 1, 2}};
        for (const auto& pass : passes) {
            AppendPass(spec, pass[0], pass[1], pass[2], pass[3], raw);
        }
    } else {
        AppendPass(spec, 0, 0, 1, 1, raw);
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string compressed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&compressed[0]), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    compressed.resize(size);

    std::string header;
    PutBigEndian(header, spec.width);
    PutBigEndian(header, spec.height);
    header += char(spec.depth);
    header += char(spec.colorType);
    header += '\0';
    header += '\0';
    header += char(spec.interlaced ? 1 : 0);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    png += Chunk("IHDR", header);
    for (const auto& chunk : spec.ancillary) {
        png += Chunk(chunk.first, chunk.second);
    }
    if (!spec.palette.empty()) {
        png += Chunk("PLTE", std::string(spec.palette.begin(), spec.palette.end()));
    }
    if (!spec.trns.empty()) {
        png += Chunk("tRNS", std::string(spec.trns.begin(), spec.trns.end()));
    }
    const size_t pieces = size_t(std::max(1, spec.imageDataChunks));
    const size_t step = compressed.size() / pieces + 1;
    for (size_t at = 0; at < compressed.size(); at += step) {
        png += Chunk("IDAT", compressed.substr(at, step));
    }
    png += Chunk("IEND", "");
    return png;
}

Expected ExpectedPixels(const PngSpec& spec)
{
    Expected expected;
    const bool trns = !spec.trns.empty();
    expected.alpha = spec.colorType == 4 || spec.colorType == 6 || trns;
    const int channels = Channels(spec.colorType);
    for (size_t p = 0; p < size_t(spec.width) * spec.height; ++p) {
        const uint16_t* s = &spec.samples[p * channels];
        uint8_t rgba[4] = {0, 0, 0, 255};
        switch (spec.colorType) {
        case 0:
        case 4:
            rgba[0] = rgba[1] = rgba[2] = To8(s[0], spec.depth);
            if (spec.colorType == 4) {
                rgba[3] = To8(s[1], spec.depth);
            } else if (trns && s[0] == uint16_t((spec.trns[0] << 8) | spec.trns[1])) {
                rgba[3] = 0;
            }
            break;
        case 2:
        case 6: {
            bool transparent = trns;
            for (int c = 0; c < 3; ++c) {
                rgba[c] = To8(s[c], spec.depth);
                uint16_t key = uint16_t(
                    (spec.trns.size() >= 6) ? (spec.trns[2 * c] << 8) | spec.trns[2 * c + 1] : 0);
                transparent = transparent && s[c] == key;
            }
            if (spec.colorType == 6) {
                rgba[3] = To8(s[3], spec.depth);
            } else if (transparent) {
                rgba[3] = 0;
            }
            break;
        }
        case 3:
            if (size_t(s[0]) * 3 + 2 < spec.palette.size()) {
                for (int c = 0; c < 3; ++c) {
                    rgba[c] = spec.palette[s[0] * 3 + c];
                }
            }
            if (s[0] < spec.trns.size()) {
                rgba[3] = spec.trns[s[0]];
            }
            break;
        }
        expected.pixels.insert(expected.pixels.end(), rgba, rgba + (expected.alpha ? 4 : 3));
    }
    return expected;
}

void FixCrcs(std::string& png)
{
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t length = BigEndian(png, at);
        if (length > png.size() || at + 12 + length > png.size()) {
            break;
        }
        uLong crc =
            crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), uInt(length + 4));
        for (int i = 0; i < 4; ++i) {
            png[at + 8 + length + i] = char(uint8_t(crc >> (24 - 8 * i)));
        }
        at += 12 + length;
    }
}

} // namespace pngtest
