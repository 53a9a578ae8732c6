#include "engine/sys_folders.h"

#include "base/errors.h"
#include "base/win32_util.h"
#include "package/windows_names.h"

#include <windows.h>

#include <cwchar>

namespace ko {

namespace {

const char* const UserShellFolders[] = {"Desktop",
                                        "Start Menu",
                                        "Programs",
                                        "Startup",
                                        "Personal",
                                        "My Pictures",
                                        "My Music",
                                        "My Video",
                                        "AppData",
                                        "Fonts",
                                        "SendTo",
                                        "Recent",
                                        "Favorites",
                                        "Cache",
                                        "Cookies",
                                        "History",
                                        "NetHood",
                                        "PrintHood",
                                        "Templates",
                                        "Local AppData",
                                        "Local Settings",
                                        "CD Burning",
                                        "Administrative Tools"};

const char* const CurrentVersionValues[] = {"ProgramFilesDir", "CommonFilesDir", "ConfigPath",
                                            "DevicePath",      "MediaPath",      "WallPaperDir"};

const char* const CommonShellFolders[] = {"Common Administrative Tools",
                                          "Common AppData",
                                          "Common Desktop",
                                          "Common Documents",
                                          "Common Programs",
                                          "Common Start Menu",
                                          "Common Startup",
                                          "Common Templates",
                                          "CommonMusic",
                                          "CommonPictures",
                                          "CommonVideo"};

const char ShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char SetupKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";

// A string value of a key; a key that does not open or a missing value give "". Shell-folder
// keys are opened with create-if-missing, as a fresh profile may not have them yet.
std::string ReadRegistryString(HKEY root, const char* path, const char* name, bool create) {
    HKEY key;
    const std::wstring keyPath = Wide(path), valueName = Wide(name);
    const LONG opened = create ? RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_READ,
                                                 nullptr, &key, nullptr)
                               : RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    std::wstring value;
    LONG rc = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        RegCloseKey(key);
        throw EKoError(std::string("Invalid data type for '") + name + "'");
    }
    if (rc == ERROR_SUCCESS && size > 0) {
        value.resize(size / sizeof(wchar_t) + 1);
        rc = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(value.data()), &size);
        value.resize(rc == ERROR_SUCCESS ? size / sizeof(wchar_t) : 0);
        value.resize(wcsnlen(value.c_str(), value.size()));
    }
    RegCloseKey(key);
    return Utf8(value);
}

// "" when the expansion fails. The result may be longer than a path: a buffer too small is
// reported by a larger result, and its contents then are not terminated.
std::string ExpandEnvironment(const std::string& text) {
    const std::wstring wide = Wide(text);
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD size = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
    if (size > buffer.size()) {
        buffer.assign(size, L'\0');
        size = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    if (size == 0 || size > buffer.size())
        return {};
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return Utf8(buffer);
}

// The Windows and system folder calls fill a 255-character buffer.
template <typename F>
std::string FromSystemCall(F call) {
    wchar_t buffer[255] = {};
    call(buffer, 254);
    return Utf8(buffer);
}

std::string BootFolder() {
    std::string folder = ReadRegistryString(HKEY_LOCAL_MACHINE, SetupKey, "BootDir", false);
    if (folder.empty())
        folder = "C:\\";
    if (folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string Lookup(uint8_t id) {
    if (id <= 22)
        return ReadRegistryString(HKEY_CURRENT_USER, ShellFoldersKey, UserShellFolders[id], true);
    switch (id) {
    case 23:
        return FromSystemCall([](wchar_t* b, UINT n) { GetWindowsDirectoryW(b, n); });
    case 24:
        return FromSystemCall([](wchar_t* b, UINT n) { GetSystemDirectoryW(b, n); });
    case 25:
        return FromSystemCall([](wchar_t* b, UINT n) { GetTempPathW(n, b); });
    case 26:
        return Lookup(24).substr(0, 2);
    case 27:
        return BootFolder();
    }
    if (id <= 33) {
        const std::string value = ReadRegistryString(HKEY_LOCAL_MACHINE, CurrentVersionKey,
                                                     CurrentVersionValues[id - 28], true);
        return value.find('%') != std::string::npos ? ExpandEnvironment(value) : value;
    }
    if (id <= 44)
        return ReadRegistryString(HKEY_LOCAL_MACHINE, ShellFoldersKey, CommonShellFolders[id - 34],
                                  true);
    return {};
}

} // namespace

std::string GetSystemFolder(uint8_t id, bool trailingDelimiter) {
    std::string path = Lookup(id & 0x7F);
    if (trailingDelimiter && (path.empty() || path.back() != '\\'))
        path += '\\';
    return path;
}

std::string ProgramFolder(const TKoData& data) {
    return GetSystemFolder(sfProgramFiles, false) + "\\" + ProductFolderName(data.ProductName);
}

std::string MenuFolder(const TKoData& data) {
    return GetSystemFolder(sfCommonPrograms, false) + "\\" + ProductFolderName(data.ProductName);
}

void FillVariables(const TKoData& data, TVariables& variables) {
    variables.Clear();
    variables.Add("{app}", ProgramFolder(data));
    variables.Add("{bootdir}", GetSystemFolder(sfBootDir, false));
    variables.Add("{windir}", GetSystemFolder(sfWindows, false));
    variables.Add("{winsysdir}", GetSystemFolder(sfSystem, false));
    variables.Add("{mydocuments}", GetSystemFolder(sfPersonal, false));
    variables.Add("{desktop}", GetSystemFolder(sfDesktop, false));
    variables.Add("{temp}", GetSystemFolder(sfTemp, false));
}

} // namespace ko
