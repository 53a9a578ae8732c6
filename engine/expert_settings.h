// The expert-advisor settings of a MetaTrader terminal, overridden as the package asks.
#pragma once

#include "engine/transaction.h"
#include "package/ko_data.h"

#include <string>

namespace ko {

// The settings file starts with a record of this many bytes that holds the options.
inline constexpr int ExpertSettingsSize = 292;

// Sets the option bytes of TerminalFolder + "config\experts.ini" from data.ExpertOptions, which is
// first padded with blanks to eight characters. Per character: "1" sets the option's byte to 1,
// a blank keeps it, anything else sets it to 0. Every other byte of an existing file is kept and
// so is its length, except that a file shorter than the record is padded to it with zeros; a new
// file is the record alone, 400 (32-bit) followed by zeros. Written through Transaction. Throws
// when the file cannot be read or created.
void OverrideExpertSettings(TKoInstall& data, const std::string& terminalFolder,
                            TFileTransaction& transaction);

// Sets MetaTrader 5's options in Path, a terminal's "config\common.ini", from Options, the
// package's option text (SetMt5ExpertOptions), through Transaction. The file is never created and
// never written in another encoding. Returns null when the options are set; otherwise why the
// file was left as it was: missing, not in the terminal's encoding, without the keys, read-only
// or held, or an MT5 terminal running when it was about to be replaced. Throws when the file
// cannot be read.
const char* OverrideCommonIni(const std::string& options, const std::string& path,
                              TFileTransaction& transaction);

} // namespace ko
