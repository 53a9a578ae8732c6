// Which MetaTrader platform a target path is for. A package carries one product for both
// platforms; the folder a file goes into decides where it belongs, so the format needs nothing
// more: "{metatrader}\MQL4\..." is an MT4 add-on, "{metatrader}\MQL5\..." an MT5 one, and any
// other path under "{metatrader}" (a preset, a template) goes into terminals of both.
#pragma once

#include <string_view>

namespace ko {

enum class TPlatform {
    MT4,
    MT5,
};

// The platforms a target is for, as a set of flags.
enum TPlatforms : unsigned {
    NoPlatform = 0,
    ForMT4 = 1,
    ForMT5 = 2,
    ForBoth = ForMT4 | ForMT5,
};

inline TPlatforms PlatformFlag(TPlatform platform) {
    return platform == TPlatform::MT4 ? ForMT4 : ForMT5;
}

// NoPlatform for a target outside "{metatrader}"; otherwise the platform the first folder below
// "{metatrader}" names ("MQL4" or "MQL5", any letter case, '\' or '/'), or ForBoth.
TPlatforms TargetPlatforms(std::string_view target);

// The short name shown to the trader: "MT4" or "MT5".
const char* PlatformName(TPlatform platform);

} // namespace ko
