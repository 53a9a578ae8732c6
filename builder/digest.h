// SHA-256, for the fingerprint of the stub kosetup carries and for keys derived from content.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ko {

class TSha256 {
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256&) = delete;
    TSha256& operator=(const TSha256&) = delete;

    void Update(const void* data, size_t size);
    void Update(const std::string& text) { Update(text.data(), text.size()); }
    std::array<uint8_t, 32> Finish();

private:
    void* FContext;
};

// Lower-case hex digits.
std::string HexDigits(const uint8_t* bytes, size_t count);

} // namespace ko
