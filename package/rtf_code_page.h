// The code page of an RTF document's 8-bit characters. An RTF reader takes them in the code page
// the document declares (\ansicpgN), else in the system's: a document stored in the package's
// code page must say so, or "Café" reads as "CafГ©" on a Cyrillic system.
#pragma once

#include "package/text_codec.h"

#include <string>

namespace ko {

// Rtf with "\ansicpgN" (N = CodePage) added to its header, after "{\rtfN" and its character set
// word ("\ansi"), unless it declares a code page already. Text that is not RTF, a document of
// ASCII alone, and code page 0 (the system's) give Rtf unchanged.
std::string DeclareRtfCodePage(const std::string& rtf, int codePage);

// Rtf with its 8-bit characters (bytes above 0x7F and \'hh escapes) written as Unicode escapes,
// decoded from CodePage with Codec: a reader then shows them whatever code page it would take.
// Some readers (Wine's among them) take the system's for a font that names no character set,
// whatever \ansicpg says. A document whose fonts name their character set (\fcharsetN), which
// tells the code page of their characters, and a code page other than the single-byte ones of
// the builder stay as they are.
std::string WithUnicodeEscapes(const std::string& rtf, const TTextCodec& codec, int codePage);

// Both: the document as any reader reads it in CodePage, in the wizard and on the disk.
std::string RtfInCodePage(const std::string& rtf, const TTextCodec& codec, int codePage);

} // namespace ko
