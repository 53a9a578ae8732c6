// The product's entry in the system's list of installed programs, under HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

namespace ko {

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" + ProductName, the name used unchanged.
std::string UninstallKeyPath(const std::string& productName);

// True when ProductName names no key of its own below the uninstall key, so that the key path
// would be the parent of every program's entry.
bool NamesNoUninstallKey(const std::string& productName);

// Creates the product's key if missing and writes "DisplayName", "UninstallString" and
// "DisplayIcon". Throws EKoError "Failed to set data for '<value>'" when a value cannot be set
// (a key that cannot be opened fails at the first value).
void RegisterUninstaller(const std::string& productName, const std::string& uninstallerPath);

// Deletes the product's key with all its subkeys, deepest first and each level from its last
// subkey to its first. A missing key or a failed deletion is passed over. A name for which
// NamesNoUninstallKey holds deletes nothing.
void DeleteUninstallKey(const std::string& productName);

} // namespace ko
