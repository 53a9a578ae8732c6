#include "package/scramble.h"

#include "package/format.h"

#include <array>
#include <cstdint>

namespace ko {

namespace {

constexpr int Padding = 64;

// Character to digit value; characters outside the alphabet map to 0.
constexpr std::array<uint8_t, 256> MakeDigitTable() {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i <= Padding; ++i)
        table[static_cast<uint8_t>(format::ScrambleAlphabet[i])] = static_cast<uint8_t>(i);
    return table;
}

constexpr auto DigitOf = MakeDigitTable();

} // namespace

std::string EncodeString(const std::string& text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    std::string result;
    result.reserve((n + 2) / 3 * 4);
    for (size_t i = 0; i < n; i += 3) {
        const size_t left = n - i;
        const int b0 = p[i];
        const int b1 = left > 1 ? p[i + 1] : 0;
        const int b2 = left > 2 ? p[i + 2] : 0;
        const int d0 = b0 >> 2;
        const int d1 = ((b0 & 3) << 4) + (b1 >> 4);
        const int d2 = left > 1 ? ((b1 & 15) << 2) + (b2 >> 6) : Padding;
        const int d3 = left > 2 ? b2 & 63 : Padding;
        for (int d : {d0, d1, d2, d3})
            result += format::ScrambleAlphabet[d];
    }
    return result;
}

std::string DecodeString(const std::string& text) {
    const size_t m = text.size();
    std::string result;
    result.reserve(m);
    auto digit = [&](size_t i) -> int {
        return i < m ? DigitOf[static_cast<uint8_t>(text[i])] : Padding;
    };
    // Groups start at every fourth character while a second character follows, so a text of
    // length 4k + 1 leaves its last character undecoded.
    for (size_t i = 0; i + 1 < m; i += 4) {
        const int d0 = digit(i), d1 = digit(i + 1), d2 = digit(i + 2), d3 = digit(i + 3);
        result += static_cast<char>(((d0 & 63) << 2) + ((d1 & 48) >> 4));
        if (d2 == Padding)
            continue;
        result += static_cast<char>(((d1 & 15) << 4) + ((d2 & 60) >> 2));
        if (d3 == Padding)
            continue;
        result += static_cast<char>(((d2 & 3) << 6) + (d3 & 63));
    }
    return result;
}

} // namespace ko
