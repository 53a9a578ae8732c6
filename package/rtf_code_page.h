// The code page of an RTF document's 8-bit characters. An RTF reader takes them in the code page
// the document declares (\ansicpgN), else in the system's: a document stored in the package's
// code page must say so, or "Café" reads as "CafГ©" on a Cyrillic system.
#pragma once

#include <string>

namespace ko {

// Rtf with "\ansicpgN" (N = CodePage) added to its header, after "{\rtfN" and its character set
// word ("\ansi"), unless it declares a code page already. Text that is not RTF, and code page 0
// (the system's), give Rtf unchanged.
std::string DeclareRtfCodePage(const std::string& rtf, int codePage);

} // namespace ko
