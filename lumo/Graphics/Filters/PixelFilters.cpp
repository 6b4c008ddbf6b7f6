#include "lumo/Graphics/Filters/PixelFilters.h"

#include "lumo/Forms/Bitmap.h"
#include "lumo/System/Source/Assert.h"

#include <algorithm>
#include <cmath>

namespace lumo {
namespace {

// Keeps the centre weight of a computed kernel (and so every sum) far from overflowing: with a
// small sigma and a large radius the exact scale would exceed any integer.
constexpr double kMaxKernelScale = 16777216.0;

std::shared_ptr<const BlurKernel> FixedKernel(int radius, std::initializer_list<int> weights,
                                              int divisor)
{
    auto kernel = std::make_shared<BlurKernel>();
    kernel->Radius = radius;
    kernel->Divisor = divisor;
    kernel->Weights.assign(weights.begin(), weights.end());
    return kernel;
}

std::shared_ptr<const BlurKernel> GaussianKernel(int radius, float sigma)
{
    LUMO_ASSERT(sigma > 0);
    double q = 2.0 * sigma * sigma;
    double scale = std::trunc(1.0 / std::exp(-2.0 * radius * radius / q) + 0.5);
    if (!(scale <= kMaxKernelScale)) {
        scale = kMaxKernelScale;
    }
    auto kernel = std::make_shared<BlurKernel>();
    kernel->Radius = radius;
    int side = 2 * radius + 1;
    kernel->Weights.resize(static_cast<size_t>(side) * side);
    for (int j = -radius; j <= radius; ++j) {
        for (int i = -radius; i <= radius; ++i) {
            auto weight = static_cast<std::int64_t>(std::exp(-(i * i + j * j) / q) * scale + 0.5);
            kernel->Weights[static_cast<size_t>((j + radius) * side + (i + radius))] = weight;
            kernel->Divisor += weight;
        }
    }
    return kernel;
}

} // namespace

PixelView PixelsOf(TBitmap& bitmap)
{
    LUMO_ASSERT(bitmap.PixelFormat() == TPixelFormat::pf32bit);
    PixelView view;
    if (bitmap.Empty()) {
        return view;
    }
    GdiFlush();
    view.pixels = reinterpret_cast<std::uint32_t*>(bitmap.ScanLine(0));
    view.width = bitmap.Width();
    view.height = bitmap.Height();
    view.stride = bitmap.BytesPerLine() / 4;
    return view;
}

std::vector<int> GreyImage(const PixelView& image)
{
    std::vector<int> grey(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.Row(y);
        int* out = grey.data() + static_cast<size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x) {
            int b = row[x] & 0xFF;
            int g = (row[x] >> 8) & 0xFF;
            int r = (row[x] >> 16) & 0xFF;
            // Exact in integers: trunc(0.299 R + 0.587 G + 0.114 B + 0.5).
            out[x] = (299 * r + 587 * g + 114 * b + 500) / 1000;
        }
    }
    return grey;
}

std::shared_ptr<const BlurKernel> MakeBlurKernel(int r, float sigma)
{
    LUMO_ASSERT(r > 0);
    if (r == 1) {
        static const auto small = FixedKernel(1, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16);
        return small;
    }
    if (r == 2) {
        static const auto medium = FixedKernel(
            2, {1, 4, 7, 4, 1, 4, 16, 26, 16, 4, 7, 26, 41, 26, 7, 4, 16, 26, 16, 4, 1, 4, 7, 4, 1},
            273);
        return medium;
    }
    return GaussianKernel(r, sigma);
}

std::vector<int> BlurGrey(const std::vector<int>& grey, int width, int height,
                          const BlurKernel& kernel)
{
    std::vector<int> blurred(static_cast<size_t>(width) * height, 0);
    int r = kernel.Radius;
    int side = 2 * r + 1;
    if (kernel.Divisor <= 0) {
        return blurred;
    }
    for (int y = r; y < height - r; ++y) {
        int* out = blurred.data() + static_cast<size_t>(y) * width;
        for (int x = r; x < width - r; ++x) {
            std::int64_t sum = 0;
            const std::int64_t* weight = kernel.Weights.data();
            for (int j = -r; j <= r; ++j) {
                const int* in = grey.data() + static_cast<size_t>(y + j) * width + (x - r);
                for (int i = 0; i < side; ++i) {
                    sum += weight[i] * in[i];
                }
                weight += side;
            }
            out[x] = static_cast<int>((sum + kernel.Divisor / 2) / kernel.Divisor);
        }
    }
    return blurred;
}

void MakeShadow(const PixelView& image, int radius, float sigma, BYTE alpha, COLORREF colour)
{
    int r = radius;
    LUMO_ASSERT(r > 0);
    int width = image.width;
    int height = image.height;
    std::vector<int> blurred;
    // A picture smaller than the kernel has no pixel far enough from the edges to blur.
    if (width > 2 * radius && height > 2 * radius) {
        auto kernel = MakeBlurKernel(radius, sigma);
        blurred = BlurGrey(GreyImage(image), width, height, *kernel);
    } else {
        blurred.assign(static_cast<size_t>(width) * height, 0);
    }
    std::uint32_t rgb = (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                        (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = image.Row(y);
        const int* in = blurred.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            std::uint32_t a = static_cast<std::uint32_t>(std::min(in[x], 255) * alpha / 255);
            row[x] = (a << 24) | rgb;
        }
    }
}

void BlendPixels(const PixelView& destination, int dstLeft, int dstTop, const PixelView& source,
                 int srcLeft, int srcTop, int width, int height, BYTE constantAlpha)
{
    int maxRow = srcTop + height;
    int maxCol = srcLeft + width;
    LUMO_ASSERT(srcLeft >= 0 && srcTop >= 0);
    LUMO_ASSERT(maxRow <= source.height && maxCol <= source.width);
    // Clip to the destination.
    int x0 = std::max(0, -dstLeft);
    int y0 = std::max(0, -dstTop);
    int x1 = std::min(width, destination.width - dstLeft);
    int y1 = std::min(height, destination.height - dstTop);
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t* src = source.Row(srcTop + y);
        std::uint32_t* dst = destination.Row(dstTop + y);
        for (int x = x0; x < x1; ++x) {
            std::uint32_t s = src[srcLeft + x];
            std::uint32_t& d = dst[dstLeft + x];
            // x = A / 255 * constant / 255, kept as the exact fraction weight / 65025.
            std::uint32_t weight = (s >> 24) * constantAlpha;
            std::uint32_t keep = 65025 - weight;
            std::uint32_t out = d & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                std::uint32_t dc = (d >> shift) & 0xFF;
                std::uint32_t sc = (s >> shift) & 0xFF;
                out |= ((dc * keep + sc * weight) / 65025) << shift;
            }
            d = out;
        }
    }
}

} // namespace lumo
