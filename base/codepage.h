// Conversion between UTF-8 and the Windows code pages in which the package stores its texts: the
// single-byte 874 (Thai) and 1250 to 1258 from tables of our own, the double-byte 932, 936, 949
// and 950 by the system (base/double_byte), and UTF-8 (65001) as it is. Bytes a code page leaves
// undefined map to nothing, so a text that needs them cannot be stored in that code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ko {

inline constexpr int DefaultCodePage = 1252;
// Windows' code page of UTF-8: that of a package whose texts are UTF-8, and of a log written on
// a system with the UTF-8 option from a package that records no code page of its own.
inline constexpr int Utf8CodePage = 65001;
// What a malformed sequence or an undefined byte decodes to.
inline constexpr char32_t ReplacementCharacter = 0xFFFD;

// A code page the builder writes packages in.
bool IsSupportedCodePage(int codePage);
// One of the single-byte code pages of our tables: every byte is a character of its own.
bool IsSingleByteCodePage(int codePage);
// "874, 932, 936, ..., 1258, 65001", for messages and help texts.
std::string SupportedCodePageList();

// One character of a UTF-8 text, or U+FFFD for a malformed sequence.
struct TUtf8Char {
    char32_t CodePoint;
    size_t Length; // bytes taken, at least 1
};
TUtf8Char DecodeUtf8Char(std::string_view text, size_t pos);
std::u32string DecodeUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t codePoint);

// The result of converting a UTF-8 text to a code page: the bytes, or the first character the
// code page cannot hold (a malformed UTF-8 sequence counts as U+FFFD).
struct TCodePageText {
    std::string Bytes;
    std::optional<char32_t> Unmappable;
};
// Both directions expect a supported code page; a double-byte one the system cannot convert
// holds nothing beyond ASCII.
TCodePageText Utf8ToCodePage(std::string_view utf8, int codePage);
// Bytes the code page leaves undefined become U+FFFD, as do malformed sequences of UTF-8 and of
// the double-byte code pages.
std::string CodePageToUtf8(std::string_view bytes, int codePage);
// The first byte that does not begin a character of the code page, with its position.
std::optional<size_t> FindUndefinedByte(std::string_view bytes, int codePage);

// "U+4E2D '中'" for a printable character, "U+0007" for a control character.
std::string DescribeCharacter(char32_t codePoint);

} // namespace ko
