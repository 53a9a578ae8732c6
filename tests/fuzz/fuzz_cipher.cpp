// The decipher's block framing on arbitrary stored data: either a clean error or at most the
// content the blocks can hold.
#include "package/cipher.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ko::TMemoryStream input(std::vector<uint8_t>(data, data + size)), output;
    try {
        ko::CipherStream(input, output, key, 16, false);
        if (output.Size() > static_cast<int64_t>(size) - 1)
            std::abort();
    } catch (const ko::ECipherException&) {
    }
    return 0;
}
