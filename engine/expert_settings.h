// The expert-advisor settings of a MetaTrader terminal, overridden as the package asks.
#pragma once

#include "engine/transaction.h"
#include "package/ko_data.h"

#include <string>

namespace ko {

// The settings file is a fixed record of this many bytes.
inline constexpr int ExpertSettingsSize = 292;

// Sets the option bytes of TerminalFolder + "config\experts.ini" from data.ExpertOptions, which is
// first padded with blanks to eight characters. Per character: "1" sets the option's byte to 1,
// a blank keeps it, anything else sets it to 0. The rest of an existing file's first 292 bytes is
// kept; a new file starts as 400 (32-bit) followed by zeros. The file is written back as exactly
// 292 bytes, through Transaction. Throws when the file cannot be read or created.
void OverrideExpertSettings(TKoInstall& data, const std::string& terminalFolder,
                            TFileTransaction& transaction);

} // namespace ko
