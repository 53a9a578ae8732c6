// The scrambling of stored strings: three bytes to four characters of our own alphabet, with
// the bit layout of base64.
#pragma once

#include <string>

namespace ko {

std::string EncodeString(const std::string& text);
// Never fails: characters outside the alphabet count as digit 0, a group cut short by the end
// of the text is completed with padding, and a single character left over is ignored.
std::string DecodeString(const std::string& text);

} // namespace ko
