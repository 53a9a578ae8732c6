#include "engine/uninstall_registry.h"

#include "base/errors.h"
#include "base/win32_util.h"

#include <windows.h>

#include <vector>

namespace ko {

namespace {

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TRegistryValue DwordValue(const char* name, DWORD value) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    return {name, REG_DWORD, std::vector<uint8_t>(bytes, bytes + sizeof value)};
}

TRegistryValue StringValue(const char* name, const std::string& value) {
    const std::wstring wide = Wide(value);
    const auto* bytes = reinterpret_cast<const uint8_t*>(wide.c_str());
    return {name, REG_SZ, std::vector<uint8_t>(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t))};
}

// A value as it was before a write: its type and data, or none.
struct TOldValue {
    std::wstring Name;
    bool Present = false;
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

TOldValue ReadOldValue(HKEY key, const std::wstring& name) {
    TOldValue old{name};
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &old.Type, nullptr, &size) != ERROR_SUCCESS)
        return old;
    old.Data.resize(size);
    old.Present = RegQueryValueExW(key, name.c_str(), nullptr, &old.Type, old.Data.data(), &size) ==
                  ERROR_SUCCESS;
    old.Data.resize(size);
    return old;
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

void WriteRegistryValues(const std::string& path, const std::vector<TRegistryValue>& values) {
    const std::wstring widePath = Wide(path);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, widePath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS) {
        if (values.empty())
            return;
        throw EKoError("Failed to set data for '" + values.front().Name + "'");
    }
    std::vector<TOldValue> written;
    for (const TRegistryValue& value : values) {
        const std::wstring name = Wide(value.Name);
        written.push_back(ReadOldValue(key, name));
        if (RegSetValueExW(key, name.c_str(), 0, value.Type, value.Data.data(),
                           static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS)
            continue;
        // The entry goes back to what it was: a list of programs that shows a half-updated
        // entry (a new version with an old uninstaller) is worse than the old one.
        for (auto old = written.rbegin(); old != written.rend(); ++old)
            if (old->Present)
                RegSetValueExW(key, old->Name.c_str(), 0, old->Type, old->Data.data(),
                               static_cast<DWORD>(old->Data.size()));
            else
                RegDeleteValueW(key, old->Name.c_str());
        RegCloseKey(key);
        if (disposition == REG_CREATED_NEW_KEY)
            DeleteKeyTree(HKEY_LOCAL_MACHINE, widePath);
        throw EKoError("Failed to set data for '" + value.Name + "'");
    }
    RegCloseKey(key);
}

void RegisterUninstaller(const TUninstallRegistration& entry) {
    std::vector<TRegistryValue> values = {StringValue("DisplayName", entry.KeyName),
                                          StringValue("UninstallString", entry.UninstallerPath),
                                          StringValue("DisplayIcon", entry.UninstallerPath)};
    const std::pair<const char*, const std::string*> texts[] = {
        {"DisplayVersion", &entry.DisplayVersion},
        {"Publisher", &entry.Publisher},
        {"InstallLocation", &entry.InstallLocation},
        {"URLInfoAbout", &entry.AboutUrl},
        {"HelpLink", &entry.HelpLink}};
    for (const auto& [name, value] : texts)
        if (!value->empty())
            values.push_back(StringValue(name, *value));
    values.push_back(DwordValue("EstimatedSize", entry.EstimatedSizeKb));
    // The installer has no modify or repair mode: Apps & Features offers Uninstall alone.
    values.push_back(DwordValue("NoModify", 1));
    values.push_back(DwordValue("NoRepair", 1));
    WriteRegistryValues(UninstallKeyPath(entry.KeyName), values);
}

void DeleteUninstallKey(const std::string& keyName) {
    if (NamesNoUninstallKey(keyName))
        return;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, Wide(UninstallKeyPath(keyName)));
}

} // namespace ko
