// File patterns of the manifest: * and ? within a name, ** for any depth of folders
// ("files/MQL4/**/*.mq4"). Folders before the first wildcard are the pattern's base; the folders
// a match lies in below the base are kept, so that a tree keeps its shape under the target.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ko {

bool HasWildcard(const std::string& pattern);
// True when Name matches Pattern: * stands for any run of characters, ? for one character.
bool MatchWildcard(const std::string& pattern, const std::string& name);
// True for what a pattern leaves out unless it asks for it: hidden dot files and folders
// (".DS_Store", "._Manual.pdf", ".git") and the folder files Windows writes (Thumbs.db,
// desktop.ini).
bool IsClutter(const std::string& name);

struct TPatternMatch {
    std::filesystem::path Path;
    std::string Folder; // below the pattern's base, "" or "Sub\Folder\"
};

// The regular files that Pattern (relative to Base) matches and no exclude pattern does,
// sorted by their place below the base. An exclude pattern without a slash matches a file or
// folder name anywhere below the base; one with a slash matches the whole place below it.
// Throws EBuildError naming the pattern when its base folder cannot be listed.
std::vector<TPatternMatch> ExpandPattern(const std::filesystem::path& base,
                                         const std::string& pattern,
                                         const std::vector<std::string>& excludes = {});

} // namespace ko
