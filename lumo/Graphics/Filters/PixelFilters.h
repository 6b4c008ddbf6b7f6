#pragma once
// Pixel operations on 32-bit buffers (bytes B, G, R, A per pixel, rows top-down): grey values,
// Gaussian blur kernels, the soft shadow of a white-on-black picture and alpha blending. They
// work on plain memory, so they run and are tested without any window or device context.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumo {

class TBitmap;

// A view of 32-bit pixels owned elsewhere; stride counts pixels from one row to the next.
struct PixelView
{
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    std::uint32_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(stride) * y; }
};

// The pixels of a 32-bit bitmap (GDI drawing is flushed first). Precondition: 32 bits per pixel.
PixelView PixelsOf(TBitmap& bitmap);

// One grey value per pixel, row by row: trunc(0.299 R + 0.587 G + 0.114 B + 0.5).
std::vector<int> GreyImage(const PixelView& image);

// A square (2 Radius + 1) blur kernel of integer weights and the sum they are divided by.
struct BlurKernel
{
    int Radius = 0;
    std::int64_t Divisor = 0;
    std::vector<std::int64_t> Weights; // row by row, (2 Radius + 1) squared

    std::int64_t Weight(int i, int j) const // i, j in -Radius .. Radius
    {
        return Weights[static_cast<size_t>((j + Radius) * (2 * Radius + 1) + (i + Radius))];
    }
};

// Radius 1 and 2 give the fixed kernels (built once per process and shared); a larger radius
// builds a Gaussian kernel of that sigma, freed when the last user lets it go.
// Preconditions: radius > 0; sigma > 0 for a radius above 2.
std::shared_ptr<const BlurKernel> MakeBlurKernel(int radius, float sigma);

// Blurs a grey image; pixels closer than the radius to an edge stay 0.
std::vector<int> BlurGrey(const std::vector<int>& grey, int width, int height,
                          const BlurKernel& kernel);

// Turns a white-on-black picture into its shadow: every pixel becomes colour, its alpha the
// blurred grey scaled by alpha / 255 (0 within radius of the edges).
void MakeShadow(const PixelView& image, int radius, float sigma, BYTE alpha, COLORREF colour);

// Blends the source's area (srcLeft, srcTop, width, height) over the destination at
// (dstLeft, dstTop) with the source's own alpha, times constantAlpha / 255: each colour byte d
// becomes trunc(d (1 - x) + s x). The destination's alpha bytes stay. Parts falling outside the
// destination are left out. Precondition: the area lies inside the source.
void BlendPixels(const PixelView& destination, int dstLeft, int dstTop, const PixelView& source,
                 int srcLeft, int srcTop, int width, int height, BYTE constantAlpha = 255);

} // namespace lumo
