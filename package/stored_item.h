// The stored data of a file or program record, as the package describes it, and the one way to
// read it back: a window on its enciphered bytes, deciphered.
#pragma once

#include "base/stream.h"
#include "package/sha256.h"

#include <cstdint>
#include <vector>

namespace ko {

struct TStoredItem {
    int32_t Size = 0;           // stored (enciphered) bytes
    int32_t Offset = 0;         // absolute offset in the program file
    uint64_t CreationTime = 0;  // FILETIME
    uint64_t LastWriteTime = 0; // FILETIME
    // The SHA-256 of the content, when the package records one.
    bool HasDigest = false;
    TDigest Digest{};
};

// Deciphers Item's stored bytes in Package into Output at its position. Throws ECipherException
// "Invalid file format" when they end inside a block or their final block is not valid.
void DecipherStored(TStream& package, const TStoredItem& item, const uint8_t* key, TStream& output);
// The same into Buffer, for data small enough to hold in memory; returns how many bytes at the
// start of Buffer are content.
int64_t DecipherStoredToMemory(TStream& package, const TStoredItem& item, const uint8_t* key,
                               std::vector<uint8_t>& buffer);

} // namespace ko
