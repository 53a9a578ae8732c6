// Path variables: "{app}", "{metatrader}" and the like, expanded in the target paths of a
// package. Portable: the values come from the system folders (sys_folders.h) on Windows.
#pragma once

#include "base/ascii_text.h"

#include <string>
#include <utility>
#include <vector>

namespace ko {

// An ordered list of name=value entries; names include their braces and are compared without
// regard to ASCII letter case (SameText).
class TVariables {
public:
    void Clear() { FEntries.clear(); }
    void Add(const std::string& name, const std::string& value);
    // Replaces the value of the first entry of that name in place, or appends a new entry.
    void SetValue(const std::string& name, const std::string& value);
    // The value of the first entry of that name, or "".
    std::string Value(const std::string& name) const;

    const std::vector<std::pair<std::string, std::string>>& Entries() const { return FEntries; }

private:
    std::vector<std::pair<std::string, std::string>> FEntries;
};

// Replaces, entry by entry in list order, every occurrence of the entry's name (any letter
// case) by its value. A value holding the name of a later entry is therefore expanded again;
// a name not in the list stays as it is.
std::string ExpandPath(const std::string& path, const TVariables& variables);

// Path expanded (ExpandPath) as a place the installer writes to. Throws EKoError naming Path
// when a "{name}" in it stands for no folder (a name not in the list or with an empty value:
// misspelt, or "{metatrader}" where no terminal folder is set), or when the expanded path is
// not a full one (IsFullPath): written as it stands, the file would land wherever the
// installer happened to be started.
std::string ExpandTarget(const std::string& path, const TVariables& variables);

} // namespace ko
