// Where a resource of a Windows program lies in its file, found through the resource directory
// of its PE header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ko {

struct TFileRange {
    size_t Offset = 0;
    size_t Size = 0;
};

// The bytes of the first resource of Type and Id (any language) in the program whose first
// Size bytes are Image; nothing when there is none or the directory leads outside Image.
std::optional<TFileRange> FindResource(const uint8_t* image, size_t size, uint16_t type,
                                       uint16_t id);

} // namespace ko
