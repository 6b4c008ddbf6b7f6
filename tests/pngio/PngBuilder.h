#pragma once
// Test PNG files of any colour type, bit depth and interlacing, written independently of the
// library (zlib for the compression, own filtering and packing), with the pixels a decoder to
// 8-bit R G B (A) must produce.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pngtest {

struct TestImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 8;
    int colorType = 2;
    bool interlaced = false;
    std::vector<uint16_t> samples; // width * height * Channels(colorType), row by row
    std::vector<uint8_t> palette;  // R G B triples (colour type 3)
    std::vector<uint8_t> trns;     // tRNS chunk data; empty: no chunk
    std::vector<std::pair<std::string, std::string>> ancillary; // chunks before the image data
    int imageDataChunks = 1;                                    // image data split this many ways
};

int Channels(int colorType);

// A random image of that kind; a transparency chunk (when asked) matches some pixels.
TestImage RandomImage(uint32_t width, uint32_t height, int colorType, int depth, bool interlaced,
                      bool transparency, uint32_t seed);

std::string BuildPng(const TestImage& image);
std::string Chunk(const std::string& type, const std::string& data);

struct Expected
{
    bool alpha = false;
    std::vector<uint8_t> pixels; // R G B or R G B A, row by row
};
Expected ExpectedPixels(const TestImage& image);

// Recomputes the CRC of every chunk that lies whole in the file.
void FixCrcs(std::string& png);

// A small deterministic generator.
class Random
{
public:
    explicit Random(uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    uint32_t Below(uint32_t limit) { return limit ? Next() % limit : 0; }

private:
    uint32_t m_state;
};

} // namespace pngtest
