// Which MetaTrader platform a target path is for. A package carries one product for both
// platforms; the folder a file goes into decides where it belongs, so the format needs nothing
// more: "{metatrader}\MQL4\..." is an MT4 add-on, "{metatrader}\MQL5\..." an MT5 one, and any
// other path under "{metatrader}" (a preset, a template) goes into terminals of both.
#pragma once

#include <string_view>

namespace ko {

class TKoInstall;
class TKoUninstall;

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

// The platforms whose terminals a package installs into: MT5 when a target lies in "MQL5", MT4
// when one lies in "MQL4" or none does in "MQL5". A package without an MT5 add-on is an MT4
// package whatever else it holds (files for both, files outside the terminals, none at all):
// such packages were made before MT5 was known and their installs stay as they were.
TPlatforms PackagePlatforms(const TKoInstall& install);

// The same for what an install wrote, as its uninstall log lists it: MT5 when a logged file has
// an "MQL5" folder on its path, MT4 when one has "MQL4" or none has "MQL5".
TPlatforms LoggedPlatforms(const TKoUninstall& uninstall);

} // namespace ko
