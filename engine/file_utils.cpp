#include "engine/file_utils.h"

#include "base/errors.h"
#include "base/file_stream.h"
#include "base/win32_util.h"

#include <windows.h>

namespace ko {

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ForceDirectories(const std::string& folder) {
    if (folder.empty())
        throw EKoError("Unable to create directory");
    std::string dir = folder;
    if (dir.size() > 1 && dir.back() == '\\')
        dir.pop_back();
    // A drive ("C:") or a root needs no creating; recursion stops there.
    if (dir.size() < 3 || DirectoryExists(dir) || ExtractFilePath(dir) == dir)
        return;
    const std::string parent = ExtractFilePath(dir);
    if (!parent.empty())
        ForceDirectories(parent);
    CreateDirectoryW(Wide(dir).c_str(), nullptr);
}

void ClearReadOnly(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(wide.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
}

std::string RunningProgramPath() {
    // A path may be longer than MAX_PATH; the call cuts it off and says so by filling the
    // buffer to its end.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n < buffer.size() || buffer.size() >= 32768)
            return Utf8(std::wstring_view(buffer.data(), n < buffer.size() ? n : 0));
        buffer.resize(buffer.size() * 2);
    }
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::optional<uint64_t> LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return FromFileTime(data.ftLastWriteTime);
}

bool DeleteFilePath(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != FALSE;
}

bool RemoveFolder(const std::string& path) {
    return RemoveDirectoryW(Wide(path).c_str()) != FALSE;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool CopyToNewFile(const std::string& from, const std::string& to) {
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), TRUE) != FALSE;
}

std::string FullPathName(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD n = needed ? GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr) : 0;
    return n == 0 || n >= needed ? path : Utf8(std::wstring_view(full.data(), n));
}

std::vector<TFolderEntry> ListFolder(const std::string& folder) {
    std::vector<TFolderEntry> entries;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(Wide(folder + "\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({Utf8(name), entry.dwFileAttributes});
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return entries;
}

} // namespace ko
