#pragma once
// Reading one PNG through the caller's read function, chunk by chunk: checks the signature,
// every chunk's CRC, the header's values and limits, and stops at IEND.
#include "PngData.h"

#include <vector>

namespace pngio {

struct PngHeader
{
    DWORD width = 0;
    DWORD height = 0;
    BYTE bitDepth = 0;
    BYTE colorType = 0;
    bool transparency = false; // a tRNS chunk applies
};

// At most this many bytes are taken from one stream.
constexpr size_t kMaxStreamBytes = size_t(128) << 20;

// Fills image with the signature and the chunks the decoder needs (header, palette padded to
// 256 entries, transparency, image data, end). False on any fault or a short read.
bool ReadPngStream(PngReadFn read, void* stream, std::vector<BYTE>& image, PngHeader& header);

void Trace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

} // namespace pngio
