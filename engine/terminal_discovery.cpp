#include "engine/terminal_discovery.h"

#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/sys_folders.h"

#include <windows.h>

#include <shlobj.h>

#include <iterator>

namespace ko {

namespace {

const char ProfileListKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// An origin.txt that is neither UTF-16 nor UTF-8 was written in the system's ANSI code page.
std::string FromSystemCodePage(std::string_view bytes) {
    return SystemDecode(bytes, CP_ACP).value_or(std::string());
}

// A string value of a key in the 64-bit view of the registry (the only one on 32-bit Windows);
// "" when missing.
std::string ReadNativeRegistryString(HKEY root, const std::string& path, const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return {};
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        value[0] = 0;
    RegCloseKey(key);
    return Utf8(value);
}

std::string WithoutTrailingDelimiter(std::string path) {
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

// A 32-bit program on 64-bit Windows sees "Program Files (x86)" as its Program Files; terminals
// installed as 64-bit programs live in the other one.
std::string NativeProgramFiles() {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ProgramW6432", value, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return WithoutTrailingDelimiter(Utf8(value));
    // Without the variable (a process started with an environment of its own), the registry
    // says it: "ProgramW6432Dir" in either view on 64-bit Windows; 32-bit Windows has only
    // "ProgramFilesDir", the one Program Files there is.
    std::string folder =
        ReadNativeRegistryString(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramW6432Dir");
    if (folder.empty())
        folder =
            ReadNativeRegistryString(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir");
    return WithoutTrailingDelimiter(folder);
}

std::string CurrentUserApplicationData() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return WithoutTrailingDelimiter(Utf8(folder));
}

std::vector<std::string> ProfileFolders() {
    std::vector<std::string> folders;
    HKEY list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(ProfileListKey).c_str(), 0,
                      KEY_READ | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
        return folders;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = DWORD(std::size(name));
        const LONG rc =
            RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            break;
        const std::string profile = ReadNativeRegistryString(
            HKEY_LOCAL_MACHINE, std::string(ProfileListKey) + "\\" + Utf8(name),
            L"ProfileImagePath");
        if (!profile.empty())
            folders.push_back(WithoutTrailingDelimiter(profile));
    }
    RegCloseKey(list);
    return folders;
}

const std::string& FolderOf(const std::string& folder) {
    return folder;
}

const std::string& FolderOf(const TTerminal& terminal) {
    return terminal.Folder;
}

// The first entry of a folder stays: a terminal found under Program Files or through the
// current user's data folders is not another user's alone.
template <class TEntry>
void AddOnce(std::vector<TEntry>& list, TEntry entry) {
    if (FolderOf(entry).empty())
        return;
    for (const TEntry& listed : list)
        if (SameFolder(FolderOf(listed), FolderOf(entry)))
            return;
    list.push_back(std::move(entry));
}

// The direct subfolders of Folder in the order the file system lists them, without "." and
// "..", and without hidden and system ones when VisibleOnly.
std::vector<std::string> Subfolders(const std::string& folder, bool visibleOnly) {
    std::vector<std::string> result;
    for (const TFolderEntry& entry : ListFolder(folder)) {
        if (!(entry.Attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (visibleOnly && (entry.Attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        result.push_back(folder + "\\" + entry.Name);
    }
    return result;
}

// The first bytes of a file, one more than an origin.txt may hold, so that a larger one shows.
std::string ReadHead(const std::string& path) {
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(OriginFileLimit + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        read = 0;
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// OtherProfile is the profile folder ApplicationData belongs to when it is another user's.
void ScanDataFolders(const std::string& applicationData, const std::string& otherProfile,
                     TTerminalDiscovery& found) {
    for (const std::string& folder :
         Subfolders(applicationData + "\\MetaQuotes\\Terminal", false)) {
        const std::optional<std::string> terminal =
            ReadOriginText(ReadHead(folder + "\\origin.txt"), FromSystemCodePage);
        if (!terminal || SameFolder(*terminal, folder))
            continue;
        const std::optional<TPlatform> platform = InstalledPlatform(*terminal);
        if (!platform)
            continue;
        found.DataFolders.push_back({folder, *terminal, otherProfile});
        AddOnce(found.Terminals, TTerminal{*terminal, !otherProfile.empty(), *platform});
    }
}

bool HoldsFolder(const std::string& folder, const char* name) {
    return DirectoryExists(folder + "\\" + name);
}

} // namespace

std::optional<TPlatform> InstalledPlatform(const std::string& folder) {
    if (FileExists(folder + "\\terminal64.exe"))
        return TPlatform::MT5;
    if (FileExists(folder + "\\terminal.exe"))
        return TPlatform::MT4;
    return std::nullopt;
}

bool IsTerminal(const std::string& folder) {
    return InstalledPlatform(folder).has_value();
}

std::string TerminalProgram(const std::string& folder) {
    return folder +
           (InstalledPlatform(folder) == TPlatform::MT5 ? "\\terminal64.exe" : "\\terminal.exe");
}

TPlatform ChosenPlatform(const std::string& folder, TPlatforms package) {
    if (const std::optional<TPlatform> installed = InstalledPlatform(folder))
        return *installed;
    const bool mql4 = HoldsFolder(folder, "MQL4");
    if (HoldsFolder(folder, "MQL5") && !mql4)
        return TPlatform::MT5;
    return !mql4 && package == ForMT5 ? TPlatform::MT5 : TPlatform::MT4;
}

TTerminalPlaces TerminalPlaces() {
    TTerminalPlaces places;
    places.ProgramFiles.push_back(GetSystemFolder(sfProgramFiles, false));
    const std::string native = NativeProgramFiles();
    if (!native.empty() && !SameFolder(native, places.ProgramFiles.front()))
        places.ProgramFiles.push_back(native);
    const std::string own = CurrentUserApplicationData();
    AddOnce(places.ApplicationData, own);
    for (const std::string& profile : ProfileFolders())
        if (own.empty() || !SameFolder(profile + "\\AppData\\Roaming", own))
            AddOnce(places.OtherProfiles, profile);
    return places;
}

TTerminalDiscovery DiscoverTerminals(const TTerminalPlaces& places) {
    TTerminalDiscovery found;
    for (const std::string& programFiles : places.ProgramFiles)
        for (const std::string& folder : Subfolders(programFiles, true))
            if (const std::optional<TPlatform> platform = InstalledPlatform(folder))
                AddOnce(found.Terminals, TTerminal{folder, false, *platform});
    for (const std::string& applicationData : places.ApplicationData)
        ScanDataFolders(applicationData, "", found);
    for (const std::string& profile : places.OtherProfiles)
        ScanDataFolders(profile + "\\AppData\\Roaming", profile, found);
    return found;
}

TTerminalOffer OfferTerminals(const TTerminalPlaces& places, TPlatforms platforms) {
    TTerminalDiscovery found = DiscoverTerminals(places);
    TTerminalOffer offer;
    for (TTerminal& terminal : found.Terminals)
        if (platforms & PlatformFlag(terminal.Platform))
            offer.Terminals.push_back(std::move(terminal));
    for (TDataFolder& dataFolder : found.DataFolders)
        for (const TTerminal& terminal : offer.Terminals)
            if (SameFolder(dataFolder.Terminal, terminal.Folder)) {
                offer.DataFolders.push_back(std::move(dataFolder));
                break;
            }
    if (offer.Terminals.empty()) {
        if (platforms == ForMT5)
            offer.Terminals.push_back(
                {places.ProgramFiles.back() + "\\MetaTrader 5", false, TPlatform::MT5});
        else
            offer.Terminals.push_back({places.ProgramFiles.front() + "\\MetaTrader 4"});
        offer.Default = true;
    }
    return offer;
}

} // namespace ko
