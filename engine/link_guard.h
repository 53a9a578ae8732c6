// Links in other users' profiles. The elevated installer writes into, reads settings from and
// deletes in the MetaTrader data folders of every profile, and another user controls what lies
// below their own profile folder: a junction, symbolic link or mount point there would send
// the administrator's writes and deletes wherever that user likes. Such paths are not used.
#pragma once

#include <string>
#include <vector>

namespace ko {

// The first existing folder or file on the way from below Root down to Path (Path included)
// that is a reparse point (a junction, a symbolic link or a mount point) or that cannot be
// looked at. "" when there is none, or when Path does not lie below Root. What does not exist
// yet ends the search: the run creates it as a plain folder or file.
std::string LinkBelow(const std::string& root, const std::string& path);

// The profile folders of the users other than the one running the program, as the system
// lists them.
std::vector<std::string> OtherProfileFolders();

// The folder of Profiles that Path lies in, or "".
std::string ProfileOf(const std::string& path, const std::vector<std::string>& profiles);

// The first link on the way to Path (LinkBelow) from the folder of Profiles it lies in; "" when
// there is none or Path lies in none of them.
std::string LinkInOtherProfile(const std::string& path, const std::vector<std::string>& profiles);

} // namespace ko
