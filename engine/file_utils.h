// Path helpers and the file operations the install and uninstall runs, the wizard and start-up
// share. Paths are UTF-8 and reach Windows through its wide functions: a folder named in any
// script works whatever the system's code page. Splitting at "\" byte by byte is safe in UTF-8,
// whose multi-byte characters never hold that byte.
#pragma once

#include "base/errors.h"
#include "base/file_stream.h"
#include "base/stream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
std::string LowerPath(std::string path);
// True when Path lies somewhere inside Folder (both full paths, any letter case).
bool FolderHolds(const std::string& folder, const std::string& path);
// Text without leading and trailing blanks and control characters.
std::string Trim(const std::string& text);

// True for an existing file, false for a folder or nothing.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Creates Folder with every missing parent. Throws EKoError "Unable to create directory" for an
// empty name (a target path without a folder part); a folder that cannot be created shows when
// the file inside it is created.
void ForceDirectories(const std::string& folder);

// Clears the read-only attribute of an existing file; every failure is ignored.
void ClearReadOnly(const std::string& path);

// The running program's full path.
std::string RunningProgramPath();

// The size of a file, 0 when it cannot be read.
int64_t FileSize(const std::string& path);
// The last-write time (FILETIME) of a file or folder, nothing when it cannot be read.
std::optional<uint64_t> LastWriteTime(const std::string& path);

// The file operations of the runs, each true when it succeeded (GetLastError tells why not).
bool DeleteFilePath(const std::string& path);
bool RemoveFolder(const std::string& path);
// Renames From to To, replacing a file of that name.
bool MoveFileReplacing(const std::string& from, const std::string& to);
// Copies From to To, which must not exist yet.
bool CopyToNewFile(const std::string& from, const std::string& to);
// Path made absolute against the current folder; Path itself when that fails.
std::string FullPathName(const std::string& path);

// One entry of a folder listing.
struct TFolderEntry {
    std::string Name;
    uint32_t Attributes = 0; // FILE_ATTRIBUTE_*
};
// The entries of Folder in the order the file system lists them, without "." and "..";
// nothing when the folder cannot be listed.
std::vector<TFolderEntry> ListFolder(const std::string& folder);

} // namespace ko
