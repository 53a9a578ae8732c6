// Letter case and blanks of texts whose rules are about ASCII only: switches, path variables,
// tag names and the names Windows compares without regard to case. The other bytes, UTF-8's
// included, pass unchanged whatever the C library's locale says.
#pragma once

#include <string>
#include <string_view>

namespace ko {

template <typename TChar>
constexpr TChar AsciiLower(TChar c) {
    return c >= 'A' && c <= 'Z' ? static_cast<TChar>(c + ('a' - 'A')) : c;
}

template <typename TChar>
constexpr TChar AsciiUpper(TChar c) {
    return c >= 'a' && c <= 'z' ? static_cast<TChar>(c - ('a' - 'A')) : c;
}

std::string AsciiLowerCase(std::string_view text);
// Equal but for the letter case of A to Z.
bool SameText(std::string_view a, std::string_view b);
// Text without leading and trailing blanks and control characters.
std::string Trim(std::string_view text);

} // namespace ko
