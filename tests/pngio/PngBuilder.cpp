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
std::vector<uint8_t> PackRow(const TestImage& image, uint32_t y, uint32_t x0, uint32_t dx)
{
    const int channels = Channels(image.colorType);
    std::vector<uint8_t> row;
    uint32_t bits = 0;
    int used = 0;
    for (uint32_t x = x0; x < image.width; x += dx) {
        for (int c = 0; c < channels; ++c) {
            uint16_t sample = image.samples[(size_t(y) * image.width + x) * channels + c];
            if (image.depth == 16) {
                row.push_back(uint8_t(sample >> 8));
                row.push_back(uint8_t(sample));
            } else if (image.depth == 8) {
                row.push_back(uint8_t(sample));
            } else {
                bits = (bits << image.depth) | sample;
                used += image.depth;
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
void AppendPass(const TestImage& image, uint32_t x0, uint32_t y0, uint32_t dx, uint32_t dy,
                std::string& raw)
{
    if (x0 >= image.width || y0 >= image.height) {
        return;
    }
    const size_t bpp = std::max(1, Channels(image.colorType) * image.depth / 8);
    std::vector<uint8_t> previous;
    int filter = 0;
    for (uint32_t y = y0; y < image.height; y += dy, filter = (filter + 1) % 5) {
        std::vector<uint8_t> row = PackRow(image, y, x0, dx);
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

TestImage RandomImage(uint32_t width, uint32_t height, int colorType, int depth, bool interlaced,
                      bool transparency, uint32_t seed)
{
    Random random(seed);
    TestImage image;
    image.width = width;
    image.height = height;
    image.colorType = colorType;
    image.depth = depth;
    image.interlaced = interlaced;
    const uint32_t limit = 1u << depth;
    const int channels = Channels(colorType);
    image.samples.resize(size_t(width) * height * channels);
    for (auto& sample : image.samples) {
        sample = uint16_t(random.Below(limit));
    }
    if (colorType == 3) {
        for (uint32_t i = 0; i < (1u << depth); ++i) {
            for (int c = 0; c < 3; ++c) {
                image.palette.push_back(uint8_t(random.Next()));
            }
        }
    }
    if (transparency) {
        if (colorType == 3) {
            // Shorter than the palette: the rest stays opaque.
            for (uint32_t i = 0; i < std::max(1u, (1u << depth) / 2); ++i) {
                image.trns.push_back(uint8_t(random.Next()));
            }
        } else {
            // The colour of every third pixel becomes the transparent one.
            for (int c = 0; c < channels; ++c) {
                uint16_t value = image.samples[c];
                image.trns.push_back(char(value >> 8));
                image.trns.push_back(char(value));
            }
            for (size_t p = 3; p < size_t(width) * height; p += 3) {
                for (int c = 0; c < channels; ++c) {
                    image.samples[p * channels + c] = image.samples[c];
                }
            }
        }
    }
    return image;
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

std::string BuildPng(const TestImage& image)
{
    std::string raw;
    if (image.interlaced) {
        static const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                              {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                              {0, 1, 1, 2}};
        for (const auto& pass : passes) {
            AppendPass(image, pass[0], pass[1], pass[2], pass[3], raw);
        }
    } else {
        AppendPass(image, 0, 0, 1, 1, raw);
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string compressed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&compressed[0]), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    compressed.resize(size);

    std::string header;
    PutBigEndian(header, image.width);
    PutBigEndian(header, image.height);
    header += char(image.depth);
    header += char(image.colorType);
    header += '\0';
    header += '\0';
    header += char(image.interlaced ? 1 : 0);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    png += Chunk("IHDR", header);
    for (const auto& chunk : image.ancillary) {
        png += Chunk(chunk.first, chunk.second);
    }
    if (!image.palette.empty()) {
        png += Chunk("PLTE", std::string(image.palette.begin(), image.palette.end()));
    }
    if (!image.trns.empty()) {
        png += Chunk("tRNS", std::string(image.trns.begin(), image.trns.end()));
    }
    const size_t pieces = size_t(std::max(1, image.imageDataChunks));
    const size_t step = compressed.size() / pieces + 1;
    for (size_t at = 0; at < compressed.size(); at += step) {
        png += Chunk("IDAT", compressed.substr(at, step));
    }
    png += Chunk("IEND", "");
    return png;
}

Expected ExpectedPixels(const TestImage& image)
{
    Expected expected;
    const bool trns = !image.trns.empty();
    expected.alpha = image.colorType == 4 || image.colorType == 6 || trns;
    const int channels = Channels(image.colorType);
    for (size_t p = 0; p < size_t(image.width) * image.height; ++p) {
        const uint16_t* s = &image.samples[p * channels];
        uint8_t rgba[4] = {0, 0, 0, 255};
        switch (image.colorType) {
        case 0:
        case 4:
            rgba[0] = rgba[1] = rgba[2] = To8(s[0], image.depth);
            if (image.colorType == 4) {
                rgba[3] = To8(s[1], image.depth);
            } else if (trns && s[0] == uint16_t((image.trns[0] << 8) | image.trns[1])) {
                rgba[3] = 0;
            }
            break;
        case 2:
        case 6: {
            bool transparent = trns;
            for (int c = 0; c < 3; ++c) {
                rgba[c] = To8(s[c], image.depth);
                uint16_t key = uint16_t((image.trns.size() >= 6)
                                            ? (image.trns[2 * c] << 8) | image.trns[2 * c + 1]
                                            : 0);
                transparent = transparent && s[c] == key;
            }
            if (image.colorType == 6) {
                rgba[3] = To8(s[3], image.depth);
            } else if (transparent) {
                rgba[3] = 0;
            }
            break;
        }
        case 3:
            if (size_t(s[0]) * 3 + 2 < image.palette.size()) {
                for (int c = 0; c < 3; ++c) {
                    rgba[c] = image.palette[s[0] * 3 + c];
                }
            }
            if (s[0] < image.trns.size()) {
                rgba[3] = image.trns[s[0]];
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
