// The mistakes vendors make most when one product serves MetaTrader 4 and 5: a DLL of the wrong
// bitness (a terminal refuses it with error 193, which the trader then reports as "the EA does
// not work") and a program of one platform in the other's folder, where the terminal ignores
// it. The folder a target goes into decides the platform; the file's own bytes show what it is.
#pragma once

#include "package/pe_image.h"

#include <filesystem>
#include <optional>
#include <string>

namespace ko {

// What is wrong with installing the file at Source as Target (a package path such as
// "{metatrader}\MQL4\Libraries\x.dll"), as a sentence beginning with the path below the
// terminal folder ("MQL4\Libraries\x.dll is a 64-bit DLL: ..."); "" when nothing is or the
// target is not in a platform's folder.
std::string CheckPlatformFile(const std::string& target, const std::filesystem::path& source);

// What is likely wrong, though not certainly, with installing the DLL at Source as Target: a DLL
// under "{metatrader}" outside MQL4\ and MQL5\ goes to terminals of both platforms, but only
// one of them can load it. A sentence as CheckPlatformFile's; "" when nothing is.
std::string PlatformFileWarning(const std::string& target, const std::filesystem::path& source);

// The PE module in the file at Path; nothing when it is no PE image or cannot be read (an
// unreadable source is reported where it is measured).
std::optional<TPeModule> ReadPeFile(const std::filesystem::path& path);

} // namespace ko
