#include "base/path_names.h"

#include "base/ascii_text.h"

#include <algorithm>

namespace ko {

namespace {

bool IsDelimiter(char c) {
    return c == '\\' || c == ':';
}

size_t LastDelimiter(const std::string& path) {
    return path.find_last_of("\\:");
}

} // namespace

std::string ExtractFilePath(const std::string& path) {
    const size_t last = LastDelimiter(path);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ExtractFileDir(const std::string& path) {
    std::string folder = ExtractFilePath(path);
    if (folder.size() > 1 && folder.back() == '\\' && !IsDelimiter(folder[folder.size() - 2]))
        folder.pop_back();
    return folder;
}

std::string ExtractFileName(const std::string& path) {
    const size_t last = LastDelimiter(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    const size_t dot = path.find_last_of(".\\:");
    if (dot == std::string::npos || path[dot] != '.')
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string IncludeTrailingDelimiter(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

std::string LowerPath(const std::string& path) {
    return AsciiLowerCase(path);
}

bool FolderHolds(const std::string& folder, const std::string& path) {
    const std::string parent = LowerPath(IncludeTrailingDelimiter(folder));
    return path.size() > parent.size() && LowerPath(path.substr(0, parent.size())) == parent;
}

bool IsFullPath(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        const char drive = AsciiLower(path[0]);
        return drive >= 'a' && drive <= 'z';
    }
    if (path.size() < 2 || path[0] != '\\' || path[1] != '\\')
        return false;
    const size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2)
        return false;
    const std::string server = path.substr(2, serverEnd - 2);
    if (server == "." || server == "?")
        return false;
    const size_t shareEnd = std::min(path.find('\\', serverEnd + 1), path.size());
    return shareEnd > serverEnd + 1;
}

} // namespace ko
