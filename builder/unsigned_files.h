// Windows 11's Smart App Control blocks a program or DLL that carries no signature and has no
// reputation with Microsoft, and it accepts only signatures made with an RSA key. A vendor's DLL
// blocked that way fails to load in the terminal with error 126, so the builder names every such
// file of the package before a trader meets it.
#pragma once

#include <filesystem>
#include <string>

namespace ko {

// Whether Target names a program or DLL, the files Windows checks before running them.
bool IsProgramOrLibrary(const std::string& target);

// What a trader's Windows would make of Source, installed as Target, as a message naming Target;
// "" when it is signed with an RSA key, is not a program or library, or will be signed
// (WillBeSigned) by the build.
std::string UnsignedFileWarning(const std::string& target, const std::filesystem::path& source,
                                bool willBeSigned);

} // namespace ko
