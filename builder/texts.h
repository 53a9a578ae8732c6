// The texts of a product as the package stores them: manifest texts normalised and converted to
// the package's code page (kept as written for UTF-8), and RTF documents checked for that code
// page (a UTF-8 document, and in a double-byte code page or UTF-8 any document, is turned into
// RTF escapes beyond ASCII).
#pragma once

#include "base/codepage.h"

#include <string>

namespace ko {

// NFC first, so that decomposed accents find their letter in the code page; a character that is
// still missing is written as its decomposition where the code page holds that (code page 1258
// writes Vietnamese tones as marks).
TCodePageText ConvertText(const std::string& utf8, int codePage);

// "; code page 1251 holds it", "; code pages 1250, 1252 hold it", "; code pages 936, 950, 65001
// hold it" (the double-byte ones and UTF-8 only when no single-byte one does) or "; code page
// 65001 (UTF-8) holds it", to follow a message about a missing character; "" in UTF-8.
std::string CodePageHint(char32_t character, int codePage);

// A document ready for the package, or the reason it cannot be stored (Problem). Note says
// what was changed, when something was.
struct TDocument {
    std::string Text;
    std::string Problem;
    std::string Note;
};

// Bytes are the file's content; an RTF document must be 7-bit, in CodePage, or UTF-8 (with or
// without a byte-order mark), which is converted to \'xx and \uN escapes.
TDocument PrepareRtf(std::string bytes, int codePage);

} // namespace ko
