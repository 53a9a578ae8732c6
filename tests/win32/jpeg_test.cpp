// The stub's libjpeg is built to decode banners and nothing more: baseline and progressive
// pictures must both still decode, to the same pixels.
#include "engine_fixture.h"
#include "package/jpeg_picture.h"

#include <cstdlib>

using namespace ko;

TEST(StubJpeg, BaselineAndProgressiveBannersDecodeAlike) {
    // The sample's banner, and the same coefficients rewritten as a progressive JPEG.
    TJpegPicture baseline, progressive;
    baseline.LoadFromBytes(kotest::ReadBytes(KOSETUP_SOURCE "\\examples\\sample-ea\\banner.jpg"));
    progressive.LoadFromBytes(
        kotest::ReadBytes(KOSETUP_SOURCE "\\tests\\win32\\data\\banner_progressive.jpg"));
    ASSERT_EQ(160, progressive.Width());
    ASSERT_EQ(320, progressive.Height());
    const std::vector<uint8_t> pixels = baseline.DecodeRgb();
    ASSERT_EQ(pixels.size(), size_t(160 * 320 * 3));
    EXPECT_EQ(pixels, progressive.DecodeRgb());
    // The pixel at (80, 160) as a full decoder gives it.
    const uint8_t* middle = &pixels[(160 * 160 + 80) * 3];
    const int expected[3] = {20, 51, 95};
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(std::abs(middle[i] - expected[i]), 2) << "channel " << i;
}
