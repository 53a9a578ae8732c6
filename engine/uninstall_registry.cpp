#include "engine/uninstall_registry.h"

#include "base/errors.h"
#include "base/win32_util.h"

#include <windows.h>

#include <vector>

namespace ko {

namespace {

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void SetValue(HKEY key, bool opened, const char* name, DWORD type, const void* data, DWORD size) {
    const LONG result = opened ? RegSetValueExW(key, Wide(name).c_str(), 0, type,
                                                static_cast<const BYTE*>(data), size)
                               : ERROR_INVALID_HANDLE;
    if (result != ERROR_SUCCESS)
        throw EKoError(std::string("Failed to set data for '") + name + "'");
}

void SetDword(HKEY key, bool opened, const char* name, DWORD value) {
    SetValue(key, opened, name, REG_DWORD, &value, sizeof value);
}

void SetString(HKEY key, bool opened, const char* name, const std::string& value) {
    const std::wstring wide = Wide(value);
    SetValue(key, opened, name, REG_SZ, wide.c_str(),
             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<wchar_t> name(longest + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            names.emplace_back(name.data(), length);
    }
    return names;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const std::vector<std::wstring> names = SubkeyNames(key);
    RegCloseKey(key);
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        DeleteKeyTree(root, path + L"\\" + *name);
    RegDeleteKeyW(root, path.c_str());
}

} // namespace

std::string UninstallKeyPath(const std::string& keyName) {
    return UninstallKey + keyName;
}

bool NamesNoUninstallKey(const std::string& keyName) {
    // Backslashes alone only repeat the separator: the path still ends at the parent key.
    return keyName.find_first_not_of('\\') == std::string::npos;
}

std::string DisplayVersion(int32_t major, int32_t minor, int32_t build, int32_t release) {
    std::string version = std::to_string(major) + "." + std::to_string(minor);
    if (build > 0 || release > 0)
        version += "." + std::to_string(build) + "." + std::to_string(release);
    return version;
}

void RegisterUninstaller(const TUninstallRegistration& entry) {
    HKEY key = nullptr;
    const bool opened =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(UninstallKeyPath(entry.KeyName)).c_str(), 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
    try {
        SetString(key, opened, "DisplayName", entry.KeyName);
        SetString(key, opened, "UninstallString", entry.UninstallerPath);
        SetString(key, opened, "DisplayIcon", entry.UninstallerPath);
        const std::pair<const char*, const std::string*> texts[] = {
            {"DisplayVersion", &entry.DisplayVersion},
            {"Publisher", &entry.Publisher},
            {"InstallLocation", &entry.InstallLocation},
            {"URLInfoAbout", &entry.AboutUrl},
            {"HelpLink", &entry.HelpLink}};
        for (const auto& [name, value] : texts)
            if (!value->empty())
                SetString(key, opened, name, *value);
        SetDword(key, opened, "EstimatedSize", entry.EstimatedSizeKb);
        // The installer has no modify or repair mode: Apps & Features offers Uninstall alone.
        SetDword(key, opened, "NoModify", 1);
        SetDword(key, opened, "NoRepair", 1);
    } catch (...) {
        if (opened)
            RegCloseKey(key);
        throw;
    }
    RegCloseKey(key);
}

void DeleteUninstallKey(const std::string& keyName) {
    if (NamesNoUninstallKey(keyName))
        return;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, Wide(UninstallKeyPath(keyName)));
}

} // namespace ko
