// MetaTrader data folders: a terminal installed under Program Files keeps its MQL4 folder and
// its settings in a folder of the user's (Application Data\MetaQuotes\Terminal\<id>), whose
// "origin.txt" names the terminal's installation folder. Portable: the reading of origin.txt,
// the comparing of folder paths and the lookup of a terminal's data folders.
#pragma once

#include "base/function_ref.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ko {

// A file larger than this is no origin.txt.
inline constexpr size_t OriginFileLimit = 4096;

// Text in the system's 8-bit code page, as UTF-8; never fails.
using TAnsiDecoder = TFunctionRef<std::string(std::string_view)>;

// The installation folder that the bytes of an origin.txt name, in UTF-8. The text is UTF-16 LE
// with a byte-order mark, UTF-8 with or without one, or else 8-bit text in the system's code
// page (Ansi). Blanks and line ends around it and one trailing "\" are removed. Nothing for an
// empty or oversized file, for one that is not text (control characters, broken UTF-16) and for
// a text that is not an absolute folder path on a drive ("X:\...", never a network path
// "\\server\share...") whose every step is a plain name (no "/", no "~", no "." or "..").
std::optional<std::string> ReadOriginText(std::string_view bytes, TAnsiDecoder ansi);

// Two folder paths name the same folder: compared without regard to ASCII letter case, with
// trailing "\" ignored.
bool SameFolder(const std::string& a, const std::string& b);

// A data folder found on this computer and the installation folder its origin.txt names.
struct TDataFolder {
    std::string Folder;
    std::string Terminal;
    // The profile folder of the other user whose data folder this is; empty for the current
    // user's own. That user controls what lies below it, links included.
    std::string OtherProfile;
};

// The data folders of Terminal, in the order found.
std::vector<std::string> DataFoldersOf(const std::vector<TDataFolder>& dataFolders,
                                       const std::string& terminal);

} // namespace ko
