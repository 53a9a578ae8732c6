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

} // namespace ko
