// Grey values, blur kernels, shadows and blending on plain pixel buffers.
#include "lumo/Graphics/Filters/PixelFilters.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

using lumo::PixelView;

struct Buffer
{
    Buffer(int w, int h, std::uint32_t fill = 0) : pixels(static_cast<size_t>(w) * h, fill)
    {
        view = PixelView{pixels.data(), w, h, w};
    }
    std::uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * view.width + x]; }
    std::vector<std::uint32_t> pixels;
    PixelView view;
};

TEST(BlurKernels, FixedOnesAreSharedAndComputedOnesFollowTheGaussian)
{
    auto small = lumo::MakeBlurKernel(1, 1.0f);
    EXPECT_EQ(16, small->Divisor);
    EXPECT_EQ(4, small->Weight(0, 0));
    EXPECT_EQ(1, small->Weight(-1, 1));
    auto medium = lumo::MakeBlurKernel(2, 3.0f);
    EXPECT_EQ(273, medium->Divisor);
    EXPECT_EQ(41, medium->Weight(0, 0));
    EXPECT_EQ(26, medium->Weight(1, 0));
    EXPECT_EQ(1, medium->Weight(2, -2));
    EXPECT_EQ(medium.get(), lumo::MakeBlurKernel(2, 1.0f).get()) << "built once, shared";

    auto computed = lumo::MakeBlurKernel(3, 1.0f);
    auto k = static_cast<std::int64_t>(std::trunc(1 / std::exp(-9.0) + 0.5));
    EXPECT_EQ(8103, k);
    EXPECT_EQ(1, computed->Weight(-3, -3)) << "corner";
    EXPECT_EQ(1, computed->Weight(3, 3));
    EXPECT_EQ(k, computed->Weight(0, 0)) << "centre";
    std::int64_t sum = 0;
    for (std::int64_t w : computed->Weights) {
        sum += w;
    }
    EXPECT_EQ(sum, computed->Divisor);
    EXPECT_NE(computed.get(), lumo::MakeBlurKernel(3, 1.0f).get()) << "computed each time";

    // A narrow sigma on a wide radius would overflow any integer; the scale is bounded.
    auto narrow = lumo::MakeBlurKernel(12, 0.5f);
    EXPECT_GT(narrow->Weight(0, 0), 0);
    EXPECT_EQ(0, narrow->Weight(-12, -12));
    EXPECT_GT(narrow->Divisor, narrow->Weight(0, 0));

    EXPECT_DEATH(lumo::MakeBlurKernel(0, 1.0f), "Assertion failed: r > 0");
}

TEST(PixelFilters, GreyShadowAndBlend)
{
    Buffer colours(4, 1);
    colours.At(0, 0) = 0xFF0000; // red
    colours.At(1, 0) = 0x00FF00; // green
    colours.At(2, 0) = 0x0000FF; // blue
    colours.At(3, 0) = 0xFFFFFF;
    EXPECT_EQ((std::vector<int>{76, 150, 29, 255}), lumo::GreyImage(colours.view));

    // One white pixel in the middle: the 3 x 3 kernel spreads it, the edges stay clear.
    Buffer spot(7, 7);
    spot.At(3, 3) = 0xFFFFFF;
    lumo::MakeShadow(spot.view, 1, 1.0f, 120, RGB(0x10, 0x20, 0x30));
    auto alpha = [&](int x, int y) { return spot.At(x, y) >> 24; };
    EXPECT_EQ(64u * 120 / 255, alpha(3, 3)) << "(4 x 255 + 8) / 16 = 64, times 120 / 255";
    EXPECT_EQ(32u * 120 / 255, alpha(4, 3));
    EXPECT_EQ(16u * 120 / 255, alpha(4, 4));
    EXPECT_EQ(0u, alpha(5, 5));
    EXPECT_EQ(0x102030u, spot.At(0, 0) & 0xFFFFFF) << "filled with the colour, 0x00BBGGRR in";
    EXPECT_EQ(0x102030u, spot.At(3, 3) & 0xFFFFFF);

    // Full white gives at most alpha; within the radius of the edges nothing.
    Buffer white(6, 6, 0xFFFFFF);
    lumo::MakeShadow(white.view, 2, 1.0f, 120, 0);
    EXPECT_EQ(120u, white.At(2, 2) >> 24);
    EXPECT_EQ(120u, white.At(3, 3) >> 24);
    EXPECT_EQ(0u, white.At(1, 3) >> 24);
    EXPECT_EQ(0u, white.At(4, 3) >> 24);

    // Blend: d (1 - x) + s x truncated, x = A / 255 (times the constant / 255).
    Buffer destination(3, 1, 0x11C8C8C8); // 200 in every colour, alpha byte 0x11
    Buffer source(2, 1);
    source.At(0, 0) = 0x78000000; // black, alpha 120
    source.At(1, 0) = 0xFF0A141E; // opaque
    lumo::BlendPixels(destination.view, 1, 0, source.view, 0, 0, 2, 1);
    EXPECT_EQ(0x11C8C8C8u, destination.At(0, 0)) << "outside the area";
    EXPECT_EQ(0x11696969u, destination.At(1, 0)) << "200 x 135 / 255 = 105.9";
    EXPECT_EQ(0x110A141Eu, destination.At(2, 0)) << "opaque source, destination alpha kept";
    Buffer again(1, 1, 0xC8C8C8);
    lumo::BlendPixels(again.view, 0, 0, source.view, 0, 0, 1, 1, 128);
    EXPECT_EQ(152u, again.At(0, 0) & 0xFF) << "200 (1 - 120/255 x 128/255) = 152.75";
    // Clipped at the destination's edges.
    lumo::BlendPixels(again.view, -1, 0, source.view, 0, 0, 2, 1);
    EXPECT_EQ(0x0A141Eu, again.At(0, 0) & 0xFFFFFF);
    EXPECT_DEATH(lumo::BlendPixels(again.view, 0, 0, source.view, 1, 0, 2, 1),
                 "Assertion failed: maxRow <= source.height && maxCol <= source.width");
}

} // namespace
