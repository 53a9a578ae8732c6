// File patterns of the manifest: * and ? in the last path component.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ko {

bool HasWildcard(const std::string& pattern);
// True when Name matches Pattern: * stands for any run of characters, ? for one character.
bool MatchWildcard(const std::string& pattern, const std::string& name);
// The regular files of Pattern's folder whose names match its last component, sorted by name.
// Throws EBuildError naming the pattern when the folder part holds a wildcard.
std::vector<std::filesystem::path> ExpandPattern(const std::filesystem::path& base,
                                                 const std::string& pattern);

} // namespace ko
