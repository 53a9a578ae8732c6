#include "package/terminal_platform.h"

#include "base/ascii_text.h"

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

} // namespace ko
