// SHA-256 for the fingerprint of the stub kosetup carries, keys derived from content and the
// integrity record of each stored item, and its printed form.
#pragma once

#include "package/sha256.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ko {

// Lower-case hex digits.
std::string HexDigits(const uint8_t* bytes, size_t count);

} // namespace ko
