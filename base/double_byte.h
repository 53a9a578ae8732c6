// The double-byte Windows code pages of East Asia (932 Japanese, 936 simplified Chinese, 949
// Korean, 950 traditional Chinese), which hold too many characters for tables of our own: the
// running system converts them, Windows with its own code pages, Linux with the C library's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ko {

bool IsDoubleByteCodePage(int codePage);

// Whether this system can convert CodePage (a double-byte one) at all.
bool CanConvertDoubleByte(int codePage);

// Nothing when a character has no bytes in CodePage, or the system cannot convert it.
std::optional<std::string> Utf8ToDoubleByte(std::string_view utf8, int codePage);
// Nothing when a sequence is not one of CodePage, or the system cannot convert it.
std::optional<std::string> DoubleByteToUtf8(std::string_view bytes, int codePage);

// Whether Byte may begin a two-byte character in CodePage.
bool IsLeadByte(unsigned char byte, int codePage);

} // namespace ko
