// A guard in front of the TOML parser. toml++ 3.3 reaches a point it declares unreachable
// (undefined behaviour) when it tests certain non-ASCII characters for whitespace, which it does
// wherever a character may end a token. So the parser is only ever given ASCII: every non-ASCII
// character of a string becomes its \u or \U escape (a '...' string holding one becomes a "..."
// string), one in a comment becomes '?', and one anywhere else, where TOML never allows it, is
// refused. Line numbers stay as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ko {

struct TUnsafeText {
    int Line = 0; // 1-based
    std::string Message;
};

// Writes the ASCII form of Text to Ascii; or returns why it cannot, with the line.
std::optional<TUnsafeText> ToAsciiToml(std::string_view text, std::string& ascii);

} // namespace ko
