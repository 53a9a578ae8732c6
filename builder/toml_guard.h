// A guard in front of the TOML parser. toml++ 3.3 reaches a point it declares unreachable
// (undefined behaviour) when it tests certain non-ASCII characters for whitespace: outside
// strings and comments, and after a backslash in a basic string. Such text is refused before the
// parser sees it. None of it is valid TOML but a line-ending backslash followed by such a
// character, which a manifest has no need for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ko {

struct TUnsafeText {
    int Line = 0; // 1-based
    std::string Message;
};

// The first place in Text that the parser would mishandle, if any.
std::optional<TUnsafeText> FindUnsafeText(std::string_view text);

} // namespace ko
