#include "package/terminal_platform.h"

#include "base/ascii_text.h"
#include "package/ko_data.h"

namespace ko {

TPlatforms TargetPlatforms(std::string_view target) {
    static constexpr std::string_view Variable = "{metatrader}";
    const std::string lower = AsciiLowerCase(target);
    const size_t at = lower.find(Variable);
    if (at == std::string::npos)
        return NoPlatform;
    std::string_view rest = std::string_view(lower).substr(at + Variable.size());
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/'))
        rest.remove_prefix(1);
    const std::string_view first = rest.substr(0, rest.find_first_of("\\/"));
    // The folder alone ("{metatrader}\MQL4" as a target) is no file of either platform's add-on
    // folders, but it still names the platform.
    if (first == "mql4")
        return ForMT4;
    if (first == "mql5")
        return ForMT5;
    return ForBoth;
}

const char* PlatformName(TPlatform platform) {
    return platform == TPlatform::MT4 ? "MT4" : "MT5";
}

namespace {

// MT4 joins when asked for or when MT5 is not there: see PackagePlatforms.
TPlatforms Served(bool mt4, bool mt5) {
    return TPlatforms((mt4 || !mt5 ? ForMT4 : NoPlatform) | (mt5 ? ForMT5 : NoPlatform));
}

// A folder of the path, not its file name, is Name (any letter case).
bool HasFolder(std::string_view path, std::string_view name) {
    const std::string lower = AsciiLowerCase(path);
    size_t start = 0;
    for (size_t end = lower.find_first_of("\\/"); end != std::string::npos;
         start = end + 1, end = lower.find_first_of("\\/", start))
        if (std::string_view(lower).substr(start, end - start) == name)
            return true;
    return false;
}

} // namespace

TPlatforms PackagePlatforms(const TKoInstall& install) {
    bool mt4 = false, mt5 = false;
    for (const auto& file : install.Files) {
        const TPlatforms platforms = TargetPlatforms(file->Path);
        mt4 = mt4 || platforms == ForMT4;
        mt5 = mt5 || platforms == ForMT5;
    }
    return Served(mt4, mt5);
}

TPlatforms LoggedPlatforms(const TKoUninstall& uninstall) {
    bool mt4 = false, mt5 = false;
    for (const std::string& file : uninstall.FileList) {
        mt4 = mt4 || HasFolder(file, "mql4");
        mt5 = mt5 || HasFolder(file, "mql5");
    }
    return Served(mt4, mt5);
}

} // namespace ko
