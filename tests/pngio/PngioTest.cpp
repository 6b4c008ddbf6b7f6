// pngio.dll loaded as the program loads it: every colour type and bit depth decodes to 8-bit
// R G B (A), records written by the library read back unchanged, and broken or hostile files
// fail cleanly without reading past what the stream holds.
#include "tests/pngio/PngBuilder.h"
#include "tests/support/Support.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

using pngtest::BuildPng;
using pngtest::Chunk;
using pngtest::Random;
using pngtest::RandomImage;
using pngtest::TestImage;

// The decoded-image record as the program declares it.
struct Record
{
    DWORD width;
    DWORD height;
    DWORD reserved1;
    DWORD colorType;
    DWORD reserved2;
    BYTE** rows;
};

using ReadFn = DWORD(WINAPI*)(void*, void*, DWORD);
using WriteFn = DWORD(WINAPI*)(void*, const void*, DWORD);
using ReadPngExFn = int(WINAPI*)(Record*, ReadFn, void*);
using WritePngExFn = int(WINAPI*)(const Record*, WriteFn, void*);
using FreePngDataFn = void(WINAPI*)(Record*);
using AllocatePngDataFn = int(WINAPI*)(Record*, DWORD, DWORD, DWORD);

// A file in memory; the library may never ask for more than it holds.
struct MemoryStream
{
    const std::string* bytes = nullptr;
    size_t position = 0;
    size_t shortAfter = std::string::npos; // deliver fewer bytes once past this offset
};

DWORD WINAPI ReadMemory(void* context, void* buffer, DWORD count)
{
    auto* stream = static_cast<MemoryStream*>(context);
    size_t left = stream->bytes->size() - stream->position;
    size_t n = count < left ? count : left;
    if (stream->position + n > stream->shortAfter) {
        n = stream->shortAfter > stream->position ? stream->shortAfter - stream->position : 0;
    }
    std::memcpy(buffer, stream->bytes->data() + stream->position, n);
    stream->position += n;
    return DWORD(n);
}

struct WriteStream
{
    std::string bytes;
    size_t limit = std::string::npos; // takes no more than this in total
};

DWORD WINAPI WriteMemory(void* context, const void* buffer, DWORD count)
{
    auto* stream = static_cast<WriteStream*>(context);
    size_t room = stream->limit - stream->bytes.size();
    size_t n = count < room ? count : room;
    stream->bytes.append(static_cast<const char*>(buffer), n);
    return DWORD(n);
}

// Endless zeros after a given prefix.
struct EndlessStream
{
    std::string prefix;
    unsigned long long delivered = 0;
};

DWORD WINAPI ReadEndless(void* context, void* buffer, DWORD count)
{
    auto* stream = static_cast<EndlessStream*>(context);
    auto* out = static_cast<char*>(buffer);
    for (DWORD i = 0; i < count; ++i, ++stream->delivered) {
        out[i] = stream->delivered < stream->prefix.size() ? stream->prefix[stream->delivered] : 0;
    }
    return count;
}

template <typename Fn> Fn Export(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

class Pngio
{
public:
    Pngio()
    {
        library = LoadLibraryA((tvtest::StageDir() + "pngio.dll").c_str());
        if (library) {
            read = Export<ReadPngExFn>(library, "ReadPngEx");
            write = Export<WritePngExFn>(library, "WritePngEx");
            free = Export<FreePngDataFn>(library, "FreePngData");
            allocate = Export<AllocatePngDataFn>(library, "AllocatePngData");
        }
    }
    ~Pngio()
    {
        if (library) {
            FreeLibrary(library);
        }
    }
    bool Ready() const { return read && write && free && allocate; }

    HMODULE library = nullptr;
    ReadPngExFn read = nullptr;
    WritePngExFn write = nullptr;
    FreePngDataFn free = nullptr;
    AllocatePngDataFn allocate = nullptr;
};

class PngioTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(png.Ready()); }

    // Reads a file; on failure the record must be left empty.
    int Read(const std::string& file, Record& record, MemoryStream* used = nullptr)
    {
        MemoryStream stream;
        stream.bytes = &file;
        std::memset(&record, 0xCD, sizeof record);
        int result = png.read(&record, &ReadMemory, used ? used : &stream);
        if (used) {
            stream = *used;
        }
        EXPECT_LE(stream.position, file.size());
        if (!result) {
            EXPECT_EQ(nullptr, record.rows);
            EXPECT_EQ(0u, record.width);
            EXPECT_EQ(0u, record.height);
        }
        return result;
    }

    static std::vector<uint8_t> Pixels(const Record& record)
    {
        std::vector<uint8_t> pixels;
        const size_t stride = size_t(record.width) * (record.colorType == 6 ? 4 : 3);
        for (DWORD y = 0; y < record.height; ++y) {
            pixels.insert(pixels.end(), record.rows[y], record.rows[y] + stride);
        }
        return pixels;
    }

    Pngio png;
};

// ---- decoding of every kind of file --------------------------------------------------------

struct Kind
{
    int colorType;
    int depth;
    bool transparency;
    bool interlaced;
};

std::string KindName(const testing::TestParamInfo<Kind>& info)
{
    const Kind& k = info.param;
    return "type" + std::to_string(k.colorType) + "_depth" + std::to_string(k.depth) +
           (k.transparency ? "_trns" : "") + (k.interlaced ? "_interlaced" : "");
}

std::vector<Kind> AllKinds()
{
    const std::vector<std::pair<int, std::vector<int>>> depths = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    std::vector<Kind> kinds;
    for (const auto& type : depths) {
        for (int depth : type.second) {
            for (bool interlaced : {false, true}) {
                kinds.push_back({type.first, depth, false, interlaced});
                if (type.first == 0 || type.first == 2 || type.first == 3) {
                    kinds.push_back({type.first, depth, true, interlaced});
                }
            }
        }
    }
    return kinds;
}

class PngioDecodeTest : public PngioTest, public testing::WithParamInterface<Kind>
{};

TEST_P(PngioDecodeTest, DecodesTo8BitRgbOrRgba)
{
    const Kind& kind = GetParam();
    // Odd sizes: partial bytes at the row ends and partly empty interlace passes.
    for (auto size : {std::make_pair(13u, 11u), std::make_pair(1u, 1u), std::make_pair(3u, 70u)}) {
        TestImage image =
            RandomImage(size.first, size.second, kind.colorType, kind.depth, kind.interlaced,
                        kind.transparency, size.first * 7 + kind.depth);
        pngtest::Expected expected = pngtest::ExpectedPixels(image);
        Record record;
        ASSERT_NE(0, Read(BuildPng(image), record)) << size.first << "x" << size.second;
        EXPECT_EQ(size.first, record.width);
        EXPECT_EQ(size.second, record.height);
        EXPECT_EQ(8u, record.reserved1);
        EXPECT_EQ(expected.alpha, record.colorType == 6);
        EXPECT_EQ(size.first * (expected.alpha ? 4 : 3), record.reserved2);
        EXPECT_EQ(expected.pixels, Pixels(record));
        png.free(&record);
        EXPECT_EQ(nullptr, record.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PngioDecodeTest, testing::ValuesIn(AllKinds()), KindName);

TEST_F(PngioTest, IndicesPastAShortPaletteDecodeBlack)
{
    // A full bright palette first leaves the decoder's palette memory anything but black.
    TestImage bright = RandomImage(16, 16, 3, 8, false, true, 4);
    std::fill(bright.palette.begin(), bright.palette.end(), uint8_t(0xEE));
    Record record;
    ASSERT_NE(0, Read(BuildPng(bright), record));
    png.free(&record);

    TestImage image = RandomImage(9, 5, 3, 4, false, false, 3);
    image.palette.resize(4 * 3); // 4 entries for indices up to 15
    pngtest::Expected expected = pngtest::ExpectedPixels(image);
    ASSERT_NE(0, Read(BuildPng(image), record));
    EXPECT_EQ(expected.pixels, Pixels(record));
    png.free(&record);
}

TEST_F(PngioTest, AncillaryChunksAndSplitImageDataAreAccepted)
{
    TestImage image = RandomImage(40, 30, 6, 8, false, false, 11);
    image.ancillary = {{"tEXt", std::string("Comment\0made by a test", 22)},
                       {"gAMA", std::string("\0\0\xb1\x8f", 4)}};
    image.imageDataChunks = 5;
    Record record;
    ASSERT_NE(0, Read(BuildPng(image), record));
    EXPECT_EQ(pngtest::ExpectedPixels(image).pixels, Pixels(record));
    png.free(&record);
}

TEST_F(PngioTest, ReadsNothingPastTheImageEnd)
{
    const std::string file = BuildPng(RandomImage(8, 8, 2, 8, false, false, 5));
    const std::string withTail = file + "trailing bytes that belong to something else";
    MemoryStream stream;
    stream.bytes = &withTail;
    Record record;
    ASSERT_NE(0, png.read(&record, &ReadMemory, &stream));
    EXPECT_EQ(file.size(), stream.position);
    png.free(&record);
}

// ---- writing -------------------------------------------------------------------------------

TEST_F(PngioTest, AllocatedRecordsRoundTripThroughWriteAndRead)
{
    Random random(99);
    for (DWORD colorType : {2u, 6u}) {
        for (auto size :
             {std::make_pair(1u, 1u), std::make_pair(17u, 5u), std::make_pair(300u, 200u)}) {
            Record record = {};
            ASSERT_NE(0, png.allocate(&record, size.first, size.second, colorType));
            const DWORD stride = size.first * (colorType == 6 ? 4 : 3);
            for (DWORD y = 0; y < record.height; ++y) {
                for (DWORD x = 0; x < stride; ++x) {
                    // Smooth areas and noise, so that every filter has work.
                    record.rows[y][x] = BYTE(y % 3 == 0 ? random.Next() : x + y);
                }
            }
            WriteStream out;
            ASSERT_NE(0, png.write(&record, &WriteMemory, &out));
            // 8-bit, colour type 2 or 6, in the header.
            ASSERT_GT(out.bytes.size(), 33u);
            EXPECT_EQ(8, out.bytes[24]);
            EXPECT_EQ(int(colorType), out.bytes[25]);

            Record back;
            ASSERT_NE(0, Read(out.bytes, back));
            EXPECT_EQ(record.width, back.width);
            EXPECT_EQ(record.height, back.height);
            EXPECT_EQ(colorType, back.colorType);
            EXPECT_EQ(Pixels(record), Pixels(back));
            png.free(&back);
            png.free(&record);
        }
    }
}

TEST_F(PngioTest, AllocateFillsTheRecordAndFreeEmptiesIt)
{
    Record record;
    std::memset(&record, 0xCD, sizeof record);
    ASSERT_NE(0, png.allocate(&record, 7, 3, 6));
    EXPECT_EQ(7u, record.width);
    EXPECT_EQ(3u, record.height);
    EXPECT_EQ(8u, record.reserved1);
    EXPECT_EQ(6u, record.colorType);
    EXPECT_EQ(28u, record.reserved2);
    for (DWORD y = 0; y < 3; ++y) {
        EXPECT_EQ(std::vector<uint8_t>(28, 0),
                  std::vector<uint8_t>(record.rows[y], record.rows[y] + 28));
        std::memset(record.rows[y], 0xFF, 28); // every row is writable on its own
    }
    png.free(&record);
    EXPECT_EQ(nullptr, record.rows);
    EXPECT_EQ(0u, record.width);
    png.free(&record); // an empty record frees nothing
    png.free(nullptr);

    EXPECT_EQ(0, png.allocate(&record, 0, 5, 2));
    EXPECT_EQ(0, png.allocate(&record, 5, 0, 2));
    EXPECT_EQ(0, png.allocate(&record, 100000, 100000, 6));
    EXPECT_EQ(0, png.allocate(&record, 16384, 16384, 6));
    EXPECT_EQ(nullptr, record.rows);
    EXPECT_EQ(0, png.allocate(nullptr, 5, 5, 2));
}

TEST_F(PngioTest, BadRecordsAndShortWritesFail)
{
    Record record = {};
    WriteStream out;
    EXPECT_EQ(0, png.write(&record, &WriteMemory, &out));
    EXPECT_EQ(0, png.write(nullptr, &WriteMemory, &out));

    ASSERT_NE(0, png.allocate(&record, 10, 10, 2));
    EXPECT_EQ(0, png.write(&record, nullptr, &out));
    BYTE* kept = record.rows[4];
    record.rows[4] = nullptr;
    EXPECT_EQ(0, png.write(&record, &WriteMemory, &out));
    record.rows[4] = kept;

    WriteStream full;
    full.limit = 20;
    EXPECT_EQ(0, png.write(&record, &WriteMemory, &full));
    png.free(&record);
    EXPECT_EQ(0, png.read(&record, nullptr, nullptr));
    EXPECT_EQ(0, png.read(nullptr, &ReadMemory, nullptr));
}

// ---- broken and hostile files --------------------------------------------------------------

TEST_F(PngioTest, EveryTruncationFails)
{
    TestImage image = RandomImage(6, 4, 3, 2, true, true, 21);
    const std::string file = BuildPng(image);
    for (size_t length = 0; length < file.size(); ++length) {
        Record record;
        EXPECT_EQ(0, Read(file.substr(0, length), record)) << length;
    }
    // A read function that delivers fewer bytes than asked ends the decode.
    for (size_t after : {size_t(4), size_t(20), file.size() - 6}) {
        MemoryStream stream;
        stream.bytes = &file;
        stream.shortAfter = after;
        Record record;
        EXPECT_EQ(0, Read(file, record, &stream)) << after;
    }
}

std::string WithHeader(uint32_t width, uint32_t height, int depth, int colorType, int interlace)
{
    std::string header;
    for (uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            header += char(value >> shift);
        }
    }
    header += char(depth);
    header += char(colorType);
    header += '\0';
    header += '\0';
    header += char(interlace);
    const std::string idat = BuildPng(RandomImage(2, 2, 2, 8, false, false, 1)).substr(8 + 25);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + idat;
}

TEST_F(PngioTest, CorruptFilesFailCleanly)
{
    const std::string good = BuildPng(RandomImage(2, 2, 2, 8, false, false, 1));
    Record record;
    ASSERT_NE(0, Read(good, record));
    png.free(&record);

    std::string signature = good;
    signature[1] = 'Q';
    EXPECT_EQ(0, Read(signature, record));

    // A palette colour changed without its CRC: the file would decode, with a wrong colour.
    TestImage paletted = RandomImage(4, 4, 3, 2, false, false, 8);
    std::string crc = BuildPng(paletted);
    ASSERT_NE(0, Read(crc, record));
    png.free(&record);
    const size_t palette = crc.find("PLTE");
    ASSERT_NE(std::string::npos, palette);
    crc[palette + 4] ^= 0x40;
    EXPECT_EQ(0, Read(crc, record));

    const std::string body = good.substr(8 + 25);
    const std::string sig = good.substr(0, 8);
    const std::string header = good.substr(8, 25);
    EXPECT_EQ(0, Read(sig + body, record)) << "no header";
    EXPECT_EQ(0, Read(sig + Chunk("tEXt", "a") + header + body, record)) << "header not first";
    EXPECT_EQ(0, Read(sig + header + header + body, record)) << "two headers";
    EXPECT_EQ(0, Read(sig + header + Chunk("QUUX", "x") + body, record)) << "unknown critical";
    EXPECT_EQ(0, Read(sig + header + Chunk("IEND", ""), record)) << "no image data";
    EXPECT_EQ(
        0, Read(sig + header + Chunk("IDAT", "not zlib data at all") + Chunk("IEND", ""), record));
    // Image data that stops early.
    const std::string big = BuildPng(RandomImage(64, 64, 6, 8, false, false, 2));
    const uint32_t length = (uint32_t(uint8_t(big[33])) << 24) | (uint8_t(big[34]) << 16) |
                            (uint8_t(big[35]) << 8) | uint8_t(big[36]);
    EXPECT_EQ(
        0, Read(big.substr(0, 33) + Chunk("IDAT", big.substr(41, length / 2)) + Chunk("IEND", ""),
                record));

    EXPECT_EQ(0, Read(WithHeader(0, 2, 8, 2, 0), record));
    EXPECT_EQ(0, Read(WithHeader(2, 2, 16, 3, 0), record)) << "16-bit palette";
    EXPECT_EQ(0, Read(WithHeader(2, 2, 4, 2, 0), record)) << "4-bit RGB";
    EXPECT_EQ(0, Read(WithHeader(2, 2, 8, 5, 0), record)) << "colour type 5";
    EXPECT_EQ(0, Read(WithHeader(2, 2, 8, 2, 2), record)) << "interlace method 2";
    EXPECT_EQ(0, Read(WithHeader(2, 2, 8, 3, 0), record)) << "palette image without palette";
}

TEST_F(PngioTest, HostileSizesAreRefusedBeforeAnyLargeWork)
{
    Record record;
    DWORD start = GetTickCount();
    EXPECT_EQ(0, Read(WithHeader(100000, 100000, 16, 6, 0), record));
    EXPECT_EQ(0, Read(WithHeader(0x7FFFFFFF, 1, 8, 2, 0), record));
    EXPECT_EQ(0, Read(WithHeader(16384, 16384, 8, 0, 0), record));
    EXPECT_EQ(0, Read(WithHeader(1, 0xFFFFFFFF, 1, 0, 1), record));
    EXPECT_LT(GetTickCount() - start, 10000u);

    // A chunk that claims 2 GB in a stream that never ends: the reading stops at a bound.
    const std::string good = BuildPng(RandomImage(2, 2, 2, 8, false, false, 1));
    EndlessStream endless;
    endless.prefix = good.substr(0, 33) + std::string("\x7f\xff\xff\xff"
                                                      "zzZz",
                                                      8);
    EXPECT_EQ(0, png.read(&record, &ReadEndless, &endless));
    EXPECT_EQ(nullptr, record.rows);
    EXPECT_LE(endless.delivered, 129ull << 20);
}

TEST_F(PngioTest, MutatedFilesNeverCrashAndDecodeSanely)
{
    std::vector<std::string> seeds = {
        BuildPng(RandomImage(13, 9, 3, 4, true, true, 1)),
        BuildPng(RandomImage(16, 16, 0, 16, true, true, 2)),
        BuildPng(RandomImage(20, 7, 6, 8, false, false, 3)),
        BuildPng(RandomImage(5, 30, 4, 16, false, false, 4)),
        BuildPng(RandomImage(31, 3, 0, 1, false, true, 5)),
    };
    Random random(2024);
    int decoded = 0;
    int failed = 0;
    for (int round = 0; round < 600; ++round) {
        std::string file = seeds[random.Below(uint32_t(seeds.size()))];
        const int mutations = 1 + int(random.Below(4));
        for (int m = 0; m < mutations && !file.empty(); ++m) {
            size_t at = random.Below(uint32_t(file.size()));
            switch (random.Below(6)) {
            case 0:
                file[at] = char(file[at] ^ (1 << random.Below(8)));
                break;
            case 1:
                file[at] = char(random.Next());
                break;
            case 2:
                file.resize(at);
                break;
            case 3:
                file.insert(at, file.substr(at, random.Below(40)));
                break;
            case 4:
                file.erase(at, random.Below(40));
                break;
            default: {
                uint32_t value = random.Next() >> random.Below(32);
                for (int i = 0; i < 4 && at + i < file.size(); ++i) {
                    file[at + i] = char(value >> (24 - 8 * i));
                }
            }
            }
        }
        // Half of them with valid CRCs, so that the damage reaches the decoder.
        if (round % 2) {
            pngtest::FixCrcs(file);
        }
        Record record;
        if (Read(file, record)) {
            ++decoded;
            EXPECT_TRUE(record.width >= 1 && record.width <= 16384 && record.height >= 1 &&
                        record.height <= 16384);
            ASSERT_NE(nullptr, record.rows);
            // Every row is there and readable.
            Pixels(record);
            png.free(&record);
        } else {
            ++failed;
        }
    }
    EXPECT_GT(failed, 0);
    RecordProperty("decoded", decoded);
}

} // namespace
