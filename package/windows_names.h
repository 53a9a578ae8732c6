// The rules for texts of a package that become Windows file, folder and registry key names. The
// builder refuses what breaks them; the stub, which may meet a package made by another tool,
// makes such names safe instead of failing. All texts are 8-bit: UTF-8 in the builder, the
// package's code page in the stub; every rule is about ASCII characters, so both read alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ko {

// What is wrong with Name as one file or folder name, as a phrase to follow the quoted name
// ("ends in a dot, ..."); empty when nothing is. Checks for: empty, blank, "." and "..",
// characters Windows forbids (control characters, < > : " / \ | ? *), a trailing dot or blank
// (which Windows drops), and the device names CON, PRN, AUX, NUL, COM1-9, LPT1-9 with or
// without an extension.
std::string NameProblem(std::string_view name);

// Name as one safe name: forbidden characters, slashes included, become '_'; a device name gets
// a '_' in front; a name of nothing but dots and blanks becomes "_".
std::string SafeName(std::string_view name);

// A relative path that stays below the folder it is joined to: parts split at '\' and '/',
// parts of nothing but dots and blanks (such as "..") dropped, the others made safe as by
// SafeName, joined with '\'; "_" when no part is left.
std::string SafeRelativePath(std::string_view path);

// The plain text of a product name written with markup: the text the markup shows, every run of
// blanks, breaks and control characters made one blank, blanks trimmed at both ends. Nothing
// for a name without markup, which is the vendor's own spelling and stays as written.
std::optional<std::u16string> ShownProductName(std::u16string_view productName);

// The folder name of a product name. A plain name is kept as written, with characters Windows
// forbids, the braces of path variables and trailing dots and blanks removed. A name with
// markup gives the text the markup shows, breaks and control characters as blanks; forbidden
// characters and braces removed; runs of blanks made one; blanks and dots trimmed at both
// ends. May be empty or a device name: NameProblem tells.
std::string FolderNameOf(std::string_view productName);

// FolderNameOf made safe as by SafeName: the program folder, the menu folder, the uninstall
// registry key and its display name.
std::string ProductFolderName(std::string_view productName);

} // namespace ko
