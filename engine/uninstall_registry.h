// The product's entry in the system's list of installed programs, under HKEY_LOCAL_MACHINE. The
// entry is named by the product's folder name (ProductFolderName), which is also the name the
// list shows: a product name's markup has no place in either.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ko {

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" + KeyName.
std::string UninstallKeyPath(const std::string& keyName);

// True when KeyName names no key of its own below the uninstall key, so that the key path
// would be the parent of every program's entry.
bool NamesNoUninstallKey(const std::string& keyName);

// What the product's entry holds. Besides the key name (also "DisplayName") and the
// uninstaller, the values the list of installed programs shows; an empty text writes no value.
struct TUninstallRegistration {
    std::string KeyName;
    std::string UninstallerPath;
    std::string DisplayVersion;
    std::string Publisher;
    std::string InstallLocation;
    std::string AboutUrl; // "URLInfoAbout"
    std::string HelpLink;
    uint32_t EstimatedSizeKb = 0;
};

// "1.2", or "1.2.345.2" when the build or the release is above 0.
std::string DisplayVersion(int32_t major, int32_t minor, int32_t build, int32_t release);

// Creates the key if missing and writes "DisplayName", "UninstallString" and "DisplayIcon",
// then "DisplayVersion", "Publisher", "InstallLocation", "URLInfoAbout", "HelpLink",
// "EstimatedSize" (DWORD, KB), "NoModify" and "NoRepair" (DWORD 1), all or none, as
// WriteRegistryValues does.
void RegisterUninstaller(const TUninstallRegistration& entry);

// One value to write: its name, its type (REG_SZ, REG_DWORD, ...) and its bytes.
struct TRegistryValue {
    std::string Name;
    uint32_t Type = 0;
    std::vector<uint8_t> Data;
};

// Writes Values, in order, to the key at Path below HKEY_LOCAL_MACHINE, creating it if missing.
// All or none: when a value cannot be set, those written before it get their old type and data
// back (or go, when they are new), a key this call created goes, and EKoError "Failed to set
// data for '<value>'" is thrown (a key that cannot be opened fails at the first value).
void WriteRegistryValues(const std::string& path, const std::vector<TRegistryValue>& values);

// Deletes the key with all its subkeys, deepest first and each level from its last subkey to
// its first. A missing key or a failed deletion is passed over. A name for which
// NamesNoUninstallKey holds deletes nothing.
void DeleteUninstallKey(const std::string& keyName);

} // namespace ko
