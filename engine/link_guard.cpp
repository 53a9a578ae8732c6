#include "engine/link_guard.h"

#include "base/win32_util.h"
#include "engine/terminal_discovery.h"
#include "engine/terminal_origin.h"

#include <windows.h>

namespace ko {

namespace {

// Path lies below Folder: Folder followed by a "\" and more.
bool IsBelow(const std::string& path, const std::string& folder) {
    const std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    return !folder.empty() && path.size() > prefix.size() &&
           SameFolder(path.substr(0, prefix.size()), prefix);
}

} // namespace

std::string LinkBelow(const std::string& root, const std::string& path) {
    if (!IsBelow(path, root))
        return {};
    size_t end = root.size() + (root.back() == '\\' ? 0 : 1);
    while (end <= path.size()) {
        const size_t next = path.find('\\', end);
        const std::string part = path.substr(0, next == std::string::npos ? path.size() : next);
        const DWORD attributes = GetFileAttributesW(Wide(part).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // Only what is not there ends the search. Anything else (access denied, a name the
            // system cannot resolve) may hide a link: such a path is not used either.
            const DWORD error = GetLastError();
            if (NotFound(error))
                return {};
            return part;
        }
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return part;
        if (next == std::string::npos)
            break;
        end = next + 1;
    }
    return {};
}

std::vector<std::string> OtherProfileFolders() {
    return TerminalPlaces().OtherProfiles;
}

std::string ProfileOf(const std::string& path, const std::vector<std::string>& profiles) {
    for (const std::string& profile : profiles)
        if (IsBelow(path, profile))
            return profile;
    return {};
}

std::string LinkInOtherProfile(const std::string& path, const std::vector<std::string>& profiles) {
    const std::string profile = ProfileOf(path, profiles);
    return profile.empty() ? std::string() : LinkBelow(profile, path);
}

} // namespace ko
