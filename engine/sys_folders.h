// System folders by number, and the path variables built from them.
#pragma once

#include "engine/variables.h"
#include "package/ko_data.h"

#include <cstdint>
#include <string>

namespace ko {

// Folder ids the program itself uses; the lookup knows 0 to 44.
enum TSystemFolder : uint8_t {
    sfDesktop = 0,
    sfPersonal = 4,
    sfWindows = 23,
    sfSystem = 24,
    sfTemp = 25,
    sfSystemDrive = 26,
    sfBootDir = 27,
    sfProgramFiles = 28,
    sfCommonPrograms = 38,
};

// The path of system folder Id (masked to 7 bits; above 44 gives ""), read from the registry or
// the system. With TrailingDelimiter a "\" is appended unless the path ends in one. Lookups
// that fail give "" (the boot folder falls back to "C:").
std::string GetSystemFolder(uint8_t id, bool trailingDelimiter);

// Program Files + "\" + the product's folder name (ProductFolderName): where "{app}" points and
// the uninstaller goes.
std::string ProgramFolder(const TKoData& data);
// The all-users programs menu + "\" + the product's folder name: the product's shortcuts.
std::string MenuFolder(const TKoData& data);

// Clears Variables and adds, in this order: "{app}" (the program folder),
// "{bootdir}", "{windir}", "{winsysdir}", "{mydocuments}", "{desktop}" and "{temp}" (which
// alone keeps its trailing "\"). The install run adds "{metatrader}" per terminal folder.
void FillVariables(const TKoData& data, TVariables& variables);

} // namespace ko
