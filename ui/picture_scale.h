// Resampling of the banner picture for displays of other DPIs: a triangle filter that widens
// with the reduction, so that an enlarged picture is smooth rather than blocky and a reduced
// one keeps its detail without shimmering.
#pragma once

#include <cstdint>
#include <vector>

namespace ko::ui {

struct TPixelRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The part From of a picture of Width x Height 8-bit RGB pixels (rows top to bottom) resampled
// to ToWidth x ToHeight; nothing when From does not lie inside the picture, a size is not
// positive or Rgb holds fewer than Width * Height * 3 bytes.
std::vector<uint8_t> ScaleRgb(const std::vector<uint8_t>& rgb, int width, int height,
                              const TPixelRect& from, int toWidth, int toHeight);

} // namespace ko::ui
