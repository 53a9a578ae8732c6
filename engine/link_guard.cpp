#include "engine/link_guard.h"

#include "base/errors.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/terminal_discovery.h"

#include <windows.h>
#include <winternl.h>

namespace ko {

namespace {

// NtCreateFile's options and answers that the headers of every tool chain do not carry.
constexpr ULONG OpenReparsePoint = 0x00200000;
constexpr ULONG SynchronousIo = 0x00000020;
constexpr ULONG DirectoryFile = 0x00000001;
constexpr ULONG NonDirectoryFile = 0x00000040;
constexpr ULONG OpenDisposition = 1;
constexpr ULONG CreateDisposition = 2;
constexpr NTSTATUS NameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS PathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS NameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS NotADirectory = static_cast<NTSTATUS>(0xC0000103);

// What a held folder is opened for: enough to open and create below it, nothing that others'
// renames or deletes could share.
constexpr ACCESS_MASK FolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG FolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Path lies below Folder: Folder followed by a "\" and more.
bool IsBelow(const std::string& path, const std::string& folder) {
    const std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    return !folder.empty() && path.size() > prefix.size() &&
           SameFolder(path.substr(0, prefix.size()), prefix);
}

// Name opened relative to the folder behind Root, never through a link at its end.
NTSTATUS OpenBelow(HANDLE root, const std::string& name, ACCESS_MASK access, ULONG share,
                   ULONG disposition, ULONG options, HANDLE& handle) {
    std::wstring wide = Wide(name);
    UNICODE_STRING unicode;
    unicode.Buffer = wide.data();
    unicode.Length = unicode.MaximumLength = USHORT(wide.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, root, nullptr);
    IO_STATUS_BLOCK status;
    handle = nullptr;
    return NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr,
                        FILE_ATTRIBUTE_NORMAL, share, disposition,
                        options | OpenReparsePoint | SynchronousIo, nullptr, 0);
}

// True when the object behind Handle, reached as Path, is a link. Windows answers through the
// handle, opened on the link itself; Wine follows its Unix links when opening and knows them
// only by name, so the name is asked too: the handle, held without delete sharing, keeps the
// name from changing since.
bool IsLink(HANDLE handle, const std::string& path) {
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Where Path really lies, every link, short name and other spelling on the way resolved: the
// final path Windows gives for the deepest part of it that exists ("\\?\C:\..."), followed by
// the rest as written; "" (where it lies is unknown) for a path not on a drive, or when a part
// of it exists but cannot be opened or named.
std::string FinalPath(const std::string& path) {
    wchar_t wide[1024], final[2048];
    const int size = MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), wide, 1023);
    if (size < 3 || wide[1] != L':')
        return {};
    wide[size] = 0;
    for (int end = size;;) {
        // Each shorter part is opened in place, cut off by a zero; "C:" alone would be the
        // drive's current folder: its root is "C:\".
        const int cut = end > 3 ? end : 3;
        const wchar_t kept = wide[cut];
        wide[cut] = 0;
        const HANDLE handle = CreateFileW(
            wide, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        wide[cut] = kept;
        if (handle != INVALID_HANDLE_VALUE) {
            const DWORD length = GetFinalPathNameByHandleW(handle, final, 1024, VOLUME_NAME_DOS);
            CloseHandle(handle);
            if (length == 0 || length >= 1024)
                return {};
            lstrcpyW(final + length, wide + cut);
            return Utf8(final);
        }
        if (!NotFound(GetLastError()) || end <= 3)
            return {};
        while (end > 3 && wide[--end] != L'\\') {
        }
    }
}

bool Missing(NTSTATUS status) {
    return status == NameNotFound || status == PathNotFound || status == NotADirectory;
}

} // namespace

std::vector<std::string> OtherProfileFolders() {
    return TerminalPlaces().OtherProfiles;
}

std::string ProfileOf(const std::string& path, const std::vector<std::string>& profiles) {
    for (const std::string& profile : profiles)
        if (IsBelow(path, profile) || SameFolder(path, profile))
            return profile;
    return {};
}

std::string LeftAloneForLink(const std::string& path, const std::string& link) {
    return "WARNING: Leaving " + path + " alone: " + link +
           " is a link in another user's profile ...";
}

TProfileGuard::TProfileGuard(std::vector<std::string> profiles)
    : FProfiles(std::move(profiles)), FLookedUp(true) {}

TProfileGuard::~TProfileGuard() {
    ReleaseAll();
}

void TProfileGuard::ReleaseAll() {
    for (const auto& [folder, handle] : FHeld)
        CloseHandle(handle);
    FHeld.clear();
}

const std::vector<std::string>& TProfileGuard::Profiles() {
    if (!FLookedUp) {
        FProfiles = OtherProfileFolders();
        FLookedUp = true;
    }
    return FProfiles;
}

// The text alone misses a profile reached through a junction ("C:\Documents and Settings"),
// a short name or a drive of its own; where the path leads does not. The profiles' own final
// paths are looked up once, before the first path's.
bool TProfileGuard::Guards(const std::string& path) {
    const std::vector<std::string>& profiles = Profiles();
    if (!ProfileOf(path, profiles).empty())
        return true;
    // A path not on a drive ("\\server\share\...") is taken as written.
    if (profiles.empty() || path.size() < 3 || path[1] != ':')
        return false;
    for (size_t i = FFinalProfiles.size();; ++i) {
        std::string final = FinalPath(i < profiles.size() ? profiles[i] : path);
        if (i >= profiles.size())
            return final.empty() || !ProfileOf(final, FFinalProfiles).empty();
        FFinalProfiles.push_back(std::move(final));
    }
}

void* TProfileGuard::Held(const std::string& folder) const {
    const std::string lower = LowerPath(folder);
    for (const auto& [path, handle] : FHeld)
        if (path == lower)
            return handle;
    return nullptr;
}

std::string TProfileGuard::HoldFolder(const std::string& folder, const TStepEvent* before,
                                      const TStepEvent* made) {
    const bool create = before != nullptr;
    std::string profile = ProfileOf(folder, Profiles());
    // A profile reached under another spelling has no held steps to go through: left alone.
    if (profile.empty())
        return Guards(folder) ? folder : std::string();
    if (profile.size() > 3 && profile.back() == '\\')
        profile.pop_back();
    // The profile folder itself is reached by its full name: the system's list names it, and
    // only its user and the administrators can change what lies above it.
    HANDLE parent = Held(profile);
    if (!parent) {
        parent =
            CreateFileW(Wide(profile).c_str(), FolderAccess, FolderShare, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (parent == INVALID_HANDLE_VALUE)
            return NotFound(GetLastError()) ? std::string() : profile;
        if (IsLink(parent, profile)) {
            CloseHandle(parent);
            return profile;
        }
        FHeld.emplace_back(LowerPath(profile), parent);
    }
    size_t end = profile.size() + 1;
    while (end <= folder.size()) {
        size_t next = folder.find('\\', end);
        if (next == std::string::npos)
            next = folder.size();
        const std::string step = folder.substr(0, next);
        if (next > end) {
            if (HANDLE held = Held(step)) {
                parent = held;
            } else {
                const std::string name = folder.substr(end, next - end);
                HANDLE handle;
                const auto open = [&](ULONG disposition) {
                    return OpenBelow(parent, name, FolderAccess, FolderShare, disposition,
                                     DirectoryFile, handle);
                };
                NTSTATUS status = open(OpenDisposition);
                if (Missing(status) && create) {
                    (*before)(step);
                    status = open(CreateDisposition);
                    // Made by someone else meanwhile: looked at like any other.
                    if (status == NameCollision)
                        status = open(OpenDisposition);
                    else if (NT_SUCCESS(status))
                        (*made)(step);
                }
                if (Missing(status) && !create)
                    return {};
                if (!NT_SUCCESS(status))
                    return step;
                if (IsLink(handle, step)) {
                    CloseHandle(handle);
                    return step;
                }
                FHeld.emplace_back(LowerPath(step), handle);
                parent = handle;
            }
        }
        end = next + 1;
    }
    return {};
}

std::string TProfileGuard::Check(const std::string& path) {
    if (!Guards(path))
        return {};
    if (std::string link = HoldFolder(ExtractFileDir(path)); !link.empty())
        return link;
    if (Held(path))
        return {};
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NotFound(GetLastError()) ? std::string() : path;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return path;
    // A folder is held too: what is then done inside it by name stays inside it.
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? HoldFolder(path) : std::string();
}

void TProfileGuard::Create(const std::string& folder, const TStepEvent& before,
                           const TStepEvent& made) {
    if (const std::string link = HoldFolder(folder, &before, &made); !link.empty())
        throw EFOpenError("Unable to create directory \"" + folder + "\": " + link +
                          " is a link in another user's profile, or cannot be opened");
}

void TProfileGuard::Release(const std::string& folder) {
    const std::string lower = LowerPath(folder);
    std::erase_if(FHeld, [&lower](const std::pair<std::string, void*>& held) {
        if (held.first != lower && !IsBelow(held.first, lower))
            return false;
        CloseHandle(held.second);
        return true;
    });
}

void* TProfileGuard::OpenFile(const std::string& path, unsigned long access, unsigned long share,
                              unsigned long disposition, const char* what) {
    const std::string folder = ExtractFileDir(path);
    HANDLE parent = HoldFolder(folder).empty() ? Held(folder) : nullptr;
    HANDLE handle = nullptr;
    const NTSTATUS status = parent ? OpenBelow(parent, ExtractFileName(path), access, share,
                                               disposition, NonDirectoryFile, handle)
                                   : NameNotFound;
    if (!NT_SUCCESS(status))
        throw EFOpenError(FileError(what, path, RtlNtStatusToDosError(status)));
    return handle;
}

std::unique_ptr<TFileStream> TProfileGuard::CreateNew(const std::string& path) {
    HANDLE handle = OpenFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                             CreateDisposition, "Cannot create file");
    return std::make_unique<TFileStream>(reinterpret_cast<intptr_t>(handle), path, false);
}

std::unique_ptr<TFileStream> TProfileGuard::OpenRead(const std::string& path) {
    if (!Guards(path))
        return std::make_unique<TFileStream>(path, TFileMode::OpenRead);
    HANDLE handle =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OpenDisposition, "Cannot open file");
    BY_HANDLE_FILE_INFORMATION info = {};
    if (IsLink(handle, path) || !GetFileInformationByHandle(handle, &info) ||
        info.nNumberOfLinks != 1) {
        CloseHandle(handle);
        throw EFOpenError("Cannot open file \"" + path +
                          "\": it is a link in another user's profile");
    }
    return std::make_unique<TFileStream>(reinterpret_cast<intptr_t>(handle), path, true);
}

} // namespace ko
