#include "package/stored_item.h"

#include "package/cipher.h"
#include "package/format.h"
#include "package/sub_stream.h"

namespace ko {

namespace {

// The window is on exactly the item's bytes: the cipher takes the block count from the window's
// size, so it deciphers this record and nothing of the next.
int64_t LastByte(const TStoredItem& item) {
    return int64_t(item.Offset) + item.Size - 1;
}

} // namespace

void DecipherStored(TStream& package, const TStoredItem& item, const uint8_t* key,
                    TStream& output) {
    TSubStream window(package, item.Offset, LastByte(item));
    window.SetPosition(0);
    CipherStream(window, output, key, format::KeySize, false);
}

int64_t DecipherStoredToMemory(TStream& package, const TStoredItem& item, const uint8_t* key,
                               std::vector<uint8_t>& buffer) {
    TSubStream window(package, item.Offset, LastByte(item));
    window.SetPosition(0);
    return DecipherToMemory(window, buffer, key, format::KeySize);
}

} // namespace ko
