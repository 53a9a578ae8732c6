#include "builder/glob.h"

#include "base/codepage.h"
#include "builder/build_error.h"
#include "builder/platform.h"

#include <algorithm>

namespace ko {

namespace {

bool Match(std::u32string_view pattern, std::u32string_view name) {
    // Backtracking over the last star is enough: no pattern has to try more than one star
    // position at a time.
    size_t p = 0, n = 0, starP = std::u32string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool HasWildcard(const std::string& pattern) {
    return pattern.find_first_of("*?") != std::string::npos;
}

bool MatchWildcard(const std::string& pattern, const std::string& name) {
    return Match(DecodeUtf8(pattern), DecodeUtf8(name));
}

std::vector<std::filesystem::path> ExpandPattern(const std::filesystem::path& base,
                                                 const std::string& pattern) {
    const std::filesystem::path full = base / PathFromUtf8(pattern);
    const std::filesystem::path folder = full.has_parent_path() ? full.parent_path() : ".";
    if (HasWildcard(PathToUtf8(PathFromUtf8(pattern).parent_path())))
        throw EBuildError("pattern \"" + pattern + "\": wildcards work in the file name only");
    const std::string namePattern = PathToUtf8(full.filename());
    std::vector<std::filesystem::path> matches;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file() &&
            MatchWildcard(namePattern, PathToUtf8(entry.path().filename())))
            matches.push_back(entry.path());
    }
    if (error)
        throw EBuildError("pattern \"" + pattern + "\": cannot list folder \"" +
                          PathToUtf8(folder) + "\". " + error.message());
    std::sort(matches.begin(), matches.end());
    return matches;
}

} // namespace ko
