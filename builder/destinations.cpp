#include "builder/destinations.h"

#include "base/ascii_text.h"
#include "package/terminal_platform.h"

#include <cstdint>

namespace ko {

namespace {

struct TTally {
    const char* Name;
    size_t Files = 0;
    int64_t Bytes = 0;

    void Add(const TPackageFile& file) {
        ++Files;
        Bytes += file.Data.Length;
    }

    std::string Line() const {
        if (Files == 0)
            return std::string(Name) + ": none";
        return std::string(Name) + ": " + std::to_string(Files) +
               (Files == 1 ? " file, " : " files, ") + std::to_string(Bytes) + " bytes";
    }
};

} // namespace

std::vector<std::string> DestinationSummary(const TPackageContent& content) {
    TTally mt4{"MetaTrader 4"}, mt5{"MetaTrader 5"}, app{"program folder"}, other{"elsewhere"};
    for (const TPackageFile& file : content.Files) {
        const TPlatforms platforms = TargetPlatforms(file.Path);
        if (platforms & ForMT4)
            mt4.Add(file);
        if (platforms & ForMT5)
            mt5.Add(file);
        if (platforms != NoPlatform)
            continue;
        // Path variables are ASCII, so the code page does not matter for the prefix.
        if (AsciiLowerCase(file.Path).starts_with("{app}"))
            app.Add(file);
        else
            other.Add(file);
    }
    std::vector<std::string> lines = {mt4.Line(), mt5.Line(), app.Line()};
    if (other.Files > 0)
        lines.push_back(other.Line());
    return lines;
}

} // namespace ko
