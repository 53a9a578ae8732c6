#include "ui/picture_scale.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ko::ui;

namespace {

// A Width x Height picture whose pixel (x, y) is Colour(x, y) in all three channels.
template <class F>
std::vector<uint8_t> Picture(int width, int height, F colour) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.insert(rgb.end(), 3, uint8_t(colour(x, y)));
    return rgb;
}

uint8_t At(const std::vector<uint8_t>& rgb, int width, int x, int y) {
    return rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
}

} // namespace

// Enlarged by 1.5 (144 DPI) and reduced, a flat area stays exactly flat (the weights add up),
// an edge becomes a ramp rather than a step of doubled pixels, and a fine pattern reduced to
// half becomes its average rather than one of its colours.
TEST(PictureScale, SmoothWithoutShiftingColours) {
    const auto flat = Picture(7, 5, [](int, int) { return 200; });
    const auto bigger = ScaleRgb(flat, 7, 5, {0, 0, 7, 5}, 11, 8);
    ASSERT_EQ(bigger.size(), 11u * 8 * 3);
    EXPECT_TRUE(std::all_of(bigger.begin(), bigger.end(), [](uint8_t v) { return v == 200; }));

    const auto edge = Picture(8, 1, [](int x, int) { return x < 4 ? 0 : 240; });
    const auto ramp = ScaleRgb(edge, 8, 1, {0, 0, 8, 1}, 16, 1);
    EXPECT_EQ(At(ramp, 16, 0, 0), 0);
    EXPECT_EQ(At(ramp, 16, 15, 0), 240);
    int between = 0;
    for (int x = 0; x < 16; ++x) {
        const uint8_t v = At(ramp, 16, x, 0);
        between += v > 0 && v < 240;
        if (x > 0)
            EXPECT_GE(v, At(ramp, 16, x - 1, 0));
    }
    EXPECT_GE(between, 2);

    const auto checks = Picture(8, 8, [](int x, int y) { return (x + y) % 2 ? 255 : 0; });
    const auto half = ScaleRgb(checks, 8, 8, {0, 0, 8, 8}, 4, 4);
    for (size_t i = 0; i < half.size(); ++i)
        EXPECT_NEAR(half[i], 128, 8) << i;
}

// Only the part asked for is read: the rest of the picture does not bleed in.
TEST(PictureScale, PartStaysInsideAndBadRequestsGiveNothing) {
    const auto halves = Picture(6, 2, [](int x, int) { return x < 3 ? 10 : 250; });
    const auto right = ScaleRgb(halves, 6, 2, {3, 0, 3, 2}, 5, 3);
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](uint8_t v) { return v == 250; }));
    const auto same = ScaleRgb(halves, 6, 2, {2, 0, 2, 2}, 2, 2);
    EXPECT_EQ(same, Picture(2, 2, [](int x, int) { return x == 0 ? 10 : 250; }));
    EXPECT_TRUE(ScaleRgb(halves, 6, 2, {4, 0, 3, 2}, 5, 3).empty());
    EXPECT_TRUE(ScaleRgb(halves, 6, 2, {0, 0, 6, 2}, 0, 3).empty());
    EXPECT_TRUE(ScaleRgb(halves, 6, 3, {0, 0, 6, 3}, 5, 3).empty()); // too few bytes
}
