// The parts of Windows paths, as pure text: nothing here asks the file system. Paths are UTF-8;
// splitting at "\" byte by byte is safe there, as its multi-byte characters never hold that
// byte.
#pragma once

#include <string>

namespace ko {

// The folder part of Path up to and including its last "\" or ":" ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The folder part without its trailing "\", except for a drive root, which keeps it ("C:\").
std::string ExtractFileDir(const std::string& path);
// The part after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// Path with the extension of its file name replaced (or added).
std::string ChangeFileExt(const std::string& path, const std::string& extension);
std::string IncludeTrailingDelimiter(const std::string& path);
// Path with A to Z in lower case, for comparing paths as Windows does for the names of programs.
std::string LowerPath(const std::string& path);
// True when Path lies somewhere inside Folder (both full paths, any letter case).
bool FolderHolds(const std::string& folder, const std::string& path);
// True when Path names a place independent of the current folder and drive: on a drive
// ("C:\...") or on a network share ("\\server\share\..."). "C:x", "\\x", "x\y" and the
// device and long-path forms ("\\.\", "\\?\") are not.
bool IsFullPath(const std::string& path);

} // namespace ko
