// The decipher's block framing on arbitrary stored data: either a clean error or at most the
// content the blocks can hold, and the same from the stream and from the in-memory decipher.
#include "package/cipher.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ko::TMemoryStream input(std::vector<uint8_t>(data, data + size)), output;
    bool streamed = true;
    try {
        ko::CipherStream(input, output, key, 16, false);
        if (output.Size() > static_cast<int64_t>(size) - 1)
            std::abort();
    } catch (const ko::ECipherException&) {
        streamed = false;
    }
    ko::TMemoryStream again(std::vector<uint8_t>(data, data + size));
    std::vector<uint8_t> buffer;
    try {
        const int64_t n = ko::DecipherToMemory(again, buffer, key, 16);
        if (!streamed || n != output.Size() ||
            !std::equal(buffer.begin(), buffer.begin() + n, output.Data().begin()))
            std::abort();
    } catch (const ko::ECipherException&) {
        if (streamed)
            std::abort();
    }
    return 0;
}
