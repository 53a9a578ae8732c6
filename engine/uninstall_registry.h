// The product's entry in the system's list of installed programs, under HKEY_LOCAL_MACHINE. The
// entry is named by the product's folder name (ProductFolderName), which is also the name the
// list shows: a product name's markup has no place in either.
#pragma once

#include <string>

namespace ko {

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" + KeyName.
std::string UninstallKeyPath(const std::string& keyName);

// True when KeyName names no key of its own below the uninstall key, so that the key path
// would be the parent of every program's entry.
bool NamesNoUninstallKey(const std::string& keyName);

// Creates the key if missing and writes "DisplayName" (KeyName), "UninstallString" and
// "DisplayIcon". Throws EKoError "Failed to set data for '<value>'" when a value cannot be set
// (a key that cannot be opened fails at the first value).
void RegisterUninstaller(const std::string& keyName, const std::string& uninstallerPath);

// Deletes the key with all its subkeys, deepest first and each level from its last subkey to
// its first. A missing key or a failed deletion is passed over. A name for which
// NamesNoUninstallKey holds deletes nothing.
void DeleteUninstallKey(const std::string& keyName);

} // namespace ko
