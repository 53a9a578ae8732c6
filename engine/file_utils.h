// The file operations the install and uninstall runs, the wizard and start-up share. Paths are
// UTF-8 and reach Windows through its wide functions: a folder named in any script works
// whatever the system's code page. Their callers take them apart with base/path_names.h.
#pragma once

#include "base/errors.h"
#include "base/file_stream.h"
#include "base/path_names.h"
#include "base/stream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ko {

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
