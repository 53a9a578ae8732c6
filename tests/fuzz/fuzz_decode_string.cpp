// Unscrambling never fails and always inverts scrambling.
#include "package/scramble.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = ko::DecodeString(text);
    if (decoded.size() > size)
        std::abort();
    if (ko::DecodeString(ko::EncodeString(text)) != text)
        std::abort();
    return 0;
}
