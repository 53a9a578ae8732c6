#include "ui/picture_scale.h"

#include <algorithm>
#include <cmath>

namespace ko::ui {

namespace {

// For each output position along one axis: the first source index and its weights (16.16
// fixed point, summing to 65536).
struct TTaps {
    std::vector<int> First;
    std::vector<std::vector<int>> Weights;
};

TTaps Taps(int start, int count, int toCount) {
    TTaps taps;
    const double ratio = double(count) / toCount;
    const double support = std::max(1.0, ratio);
    for (int i = 0; i < toCount; ++i) {
        const double center = (i + 0.5) * ratio - 0.5;
        const int first = std::max(0, int(std::floor(center - support)) + 1);
        const int last = std::min(count - 1, int(std::ceil(center + support)) - 1);
        std::vector<double> raw;
        double total = 0;
        for (int s = first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs(s - center) / support);
            raw.push_back(w);
            total += w;
        }
        std::vector<int> weights;
        int sum = 0;
        for (double w : raw) {
            weights.push_back(total > 0 ? int(std::lround(w / total * 65536)) : 0);
            sum += weights.back();
        }
        if (weights.empty()) {
            weights.push_back(0);
            taps.First.push_back(start + std::clamp(int(center + 0.5), 0, count - 1));
        } else {
            taps.First.push_back(start + first);
        }
        weights[weights.size() / 2] += 65536 - sum; // rounding left over
        taps.Weights.push_back(std::move(weights));
    }
    return taps;
}

uint8_t Clamp(int64_t value) {
    return uint8_t(std::clamp<int64_t>((value + 32768) >> 16, 0, 255));
}

} // namespace

std::vector<uint8_t> ScaleRgb(const std::vector<uint8_t>& rgb, int width, int height,
                              const TPixelRect& from, int toWidth, int toHeight) {
    if (from.Left < 0 || from.Top < 0 || from.Width <= 0 || from.Height <= 0 ||
        from.Left > width - from.Width || from.Top > height - from.Height || toWidth <= 0 ||
        toHeight <= 0 || rgb.size() < size_t(width) * size_t(height) * 3)
        return {};
    if (toWidth == from.Width && toHeight == from.Height) {
        // The same size: the part as it is.
        std::vector<uint8_t> part;
        for (int y = 0; y < from.Height; ++y) {
            const uint8_t* line =
                rgb.data() + (size_t(from.Top + y) * size_t(width) + size_t(from.Left)) * 3;
            part.insert(part.end(), line, line + size_t(from.Width) * 3);
        }
        return part;
    }
    const TTaps across = Taps(from.Left, from.Width, toWidth);
    const TTaps down = Taps(from.Top, from.Height, toHeight);
    // Rows first, into a picture of ToWidth x From.Height, then columns.
    std::vector<uint8_t> rows(size_t(toWidth) * size_t(from.Height) * 3);
    for (int y = 0; y < from.Height; ++y) {
        const uint8_t* line = rgb.data() + size_t(from.Top + y) * size_t(width) * 3;
        for (int x = 0; x < toWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                const std::vector<int>& weights = across.Weights[size_t(x)];
                for (size_t k = 0; k < weights.size(); ++k)
                    sum += int64_t(weights[k]) *
                           line[size_t(across.First[size_t(x)] + int(k)) * 3 + c];
                rows[(size_t(y) * size_t(toWidth) + size_t(x)) * 3 + size_t(c)] = Clamp(sum);
            }
    }
    std::vector<uint8_t> out(size_t(toWidth) * size_t(toHeight) * 3);
    for (int y = 0; y < toHeight; ++y) {
        const std::vector<int>& weights = down.Weights[size_t(y)];
        const int first = down.First[size_t(y)] - from.Top;
        for (size_t i = 0; i < size_t(toWidth) * 3; ++i) {
            int64_t sum = 0;
            for (size_t k = 0; k < weights.size(); ++k)
                sum += int64_t(weights[k]) * rows[size_t(first + int(k)) * size_t(toWidth) * 3 + i];
            out[size_t(y) * size_t(toWidth) * 3 + i] = Clamp(sum);
        }
    }
    return out;
}

} // namespace ko::ui
