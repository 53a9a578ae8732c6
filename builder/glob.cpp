#include "builder/glob.h"

#include "base/ascii_text.h"
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

using TParts = std::vector<std::u32string>;

TParts Split(const std::string& text) {
    TParts parts;
    std::string part;
    for (const char c : text + "/") {
        if (c != '/' && c != '\\') {
            part += c;
        } else if (!part.empty() && part != ".") {
            parts.push_back(DecodeUtf8(part));
            part.clear();
        }
    }
    return parts;
}

// Pattern components against path components; ** takes any number of them, none included.
bool MatchParts(const TParts& pattern, size_t p, const TParts& parts, size_t n) {
    if (p == pattern.size())
        return n == parts.size();
    if (pattern[p] == U"**") {
        for (size_t k = n; k <= parts.size(); ++k)
            if (MatchParts(pattern, p + 1, parts, k))
                return true;
        return false;
    }
    return n < parts.size() && Match(pattern[p], parts[n]) &&
           MatchParts(pattern, p + 1, parts, n + 1);
}

bool Excluded(const std::vector<TParts>& excludes, const TParts& parts) {
    for (const TParts& exclude : excludes) {
        if (exclude.size() == 1 && exclude[0] != U"**") {
            for (const std::u32string& part : parts)
                if (Match(exclude[0], part))
                    return true;
        } else if (MatchParts(exclude, 0, parts, 0)) {
            return true;
        }
    }
    return false;
}

// A pattern component that itself begins with a dot may match hidden names.
bool Allows(const TParts& pattern, const std::string& name) {
    if (!IsClutter(name))
        return true;
    return std::any_of(pattern.begin(), pattern.end(),
                       [](const std::u32string& part) { return !part.empty() && part[0] == U'.'; });
}

} // namespace

bool HasWildcard(const std::string& pattern) {
    return pattern.find_first_of("*?") != std::string::npos;
}

bool MatchWildcard(const std::string& pattern, const std::string& name) {
    return Match(DecodeUtf8(pattern), DecodeUtf8(name));
}

bool IsClutter(const std::string& name) {
    const std::string lower = AsciiLowerCase(name);
    return name.empty() || name[0] == '.' || lower == "thumbs.db" || lower == "desktop.ini";
}

std::vector<TPatternMatch> ExpandPattern(const std::filesystem::path& base,
                                         const std::string& pattern,
                                         const std::vector<std::string>& excludes) {
    TParts parts = Split(pattern);
    std::string prefix;
    size_t fixed = 0;
    for (; fixed < parts.size(); ++fixed) {
        std::string part;
        for (const char32_t c : parts[fixed])
            AppendUtf8(part, c);
        if (HasWildcard(part))
            break;
        prefix += part + "/";
    }
    const TParts rest(parts.begin() + static_cast<std::ptrdiff_t>(fixed), parts.end());
    const bool anyDepth = std::find(rest.begin(), rest.end(), U"**") != rest.end();
    std::vector<TParts> excluded;
    for (const std::string& exclude : excludes)
        excluded.push_back(Split(exclude));

    const std::filesystem::path folder = !prefix.empty() ? base / PathFromUtf8(prefix)
                                         : base.empty()  ? std::filesystem::path(".")
                                                         : base;
    std::vector<std::pair<std::string, TPatternMatch>> found;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = PathToUtf8(it->path().filename());
        const bool isFolder = it->is_directory(error);
        const std::filesystem::path relative = it->path().lexically_relative(folder);
        if (!Allows(rest, name) || (!anyDepth && isFolder && it.depth() + 2 > int(rest.size()))) {
            if (isFolder)
                it.disable_recursion_pending();
            if (!Allows(rest, name))
                continue;
        }
        if (isFolder || !it->is_regular_file(error))
            continue;
        const TParts place = Split(PathToUtf8(relative));
        if (!MatchParts(rest, 0, place, 0) || Excluded(excluded, place))
            continue;
        TPatternMatch match{it->path(), ""};
        for (auto part = relative.begin(); std::next(part) != relative.end(); ++part)
            match.Folder += PathToUtf8(*part) + "\\";
        found.emplace_back(PathToUtf8(relative.generic_u8string()), std::move(match));
    }
    if (error)
        throw EBuildError("pattern \"" + pattern + "\": cannot list folder \"" +
                          PathToUtf8(folder) + "\". " + error.message());
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TPatternMatch> matches;
    for (auto& [key, match] : found)
        matches.push_back(std::move(match));
    return matches;
}

} // namespace ko
