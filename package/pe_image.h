// The two fields of a Windows program's PE header that a copy of the stub has to care about: the
// checksum and the security directory, where a code-signing tool records the signature it
// appends to the file. A copy that keeps the bytes but not the signature must clear both.
#pragma once

#include "base/stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ko {

struct TPeFields {
    size_t CheckSum;          // file offset of the optional header's CheckSum
    size_t SecurityDirectory; // file offset of the security entry (address, size)
};

// The fields of the program whose first Size bytes are Header; nothing when those bytes hold no
// PE header with a security entry.
std::optional<TPeFields> FindPeFields(const uint8_t* header, size_t size);

// The checksum Windows computes for a file: 16-bit sums with carries folded in, the checksum
// field counted as zero, plus the file's length.
uint32_t PeChecksum(TStream& file, size_t checkSumOffset);

// When File's program header names a security directory, clears it and writes the checksum of
// what File then holds; returns whether it did. File is read and written from the start.
bool ClearSignature(TStream& file);

} // namespace ko
