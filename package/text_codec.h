// The conversions between a package's 8-bit texts and UTF-8, in which the stub keeps every text.
// A package records the code page its texts are in; the stub decodes with that one whatever the
// system's, so that "Café" stays "Café" on a Cyrillic or a UTF-8 system. The code pages the
// builder writes come from the tables of base/codepage; any other is the running system's to
// convert, and so is code page 0, which stands for the system's own (a package or log from
// before the code page was recorded).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ko {

struct TTextCodec {
    // Bytes in CodePage as UTF-8; nothing when the code page is not known.
    std::function<std::optional<std::string>(std::string_view bytes, int codePage)> Decode;
    // UTF-8 as bytes in CodePage; nothing when a character has no byte there or the code page
    // is not known.
    std::function<std::optional<std::string>(std::string_view utf8, int codePage)> Encode;
    // The code page that 0 stands for, recorded in a log written from such a package.
    int SystemCodePage = 0;
};

// The tables alone, for the builder and for tests: code page 0 stands for SystemCodePage.
TTextCodec TableCodec(int systemCodePage);

// UTF-8 in CodePage, every character the code page lacks written as "?": the best an older
// reader of a log can be given.
std::string EncodeLossy(const TTextCodec& codec, std::string_view utf8, int codePage);

} // namespace ko
