// The Unicode data behind base/unicode.h, generated once into unicode_tables.cpp.
#pragma once

#include <cstdint>

namespace ko::detail {

struct TDecomposition {
    uint16_t Composed;
    uint16_t First;
    uint16_t Second;  // 0 for a character that stands for one other
    uint8_t Composes; // 0 when NFC never forms Composed from the pair
};

struct TCombiningRange {
    uint16_t First, Last;
    uint8_t Class;
};

// Both sorted by their first member.
extern const TDecomposition Decompositions[975];
extern const TCombiningRange CombiningClasses[269];

} // namespace ko::detail
