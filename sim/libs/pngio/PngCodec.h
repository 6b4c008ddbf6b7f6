#pragma once
// The image codec under the library: decoding of a checked PNG image into the record, and
// encoding of a record.
#include "PngStream.h"

namespace pngio {

// Every colour type and bit depth decodes to 8-bit R G B, or R G B A (colour type 6) when the
// image has alpha (its own channel or a transparency chunk).
bool DecodePng(const std::vector<BYTE>& image, const PngHeader& header, PngData& data);

// 8-bit R G B, or R G B A for colour type 6.
bool EncodePng(const PngData& data, std::vector<BYTE>& png);

} // namespace pngio
