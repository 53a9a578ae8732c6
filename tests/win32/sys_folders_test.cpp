// System folders read from the real registry and system calls of the Wine prefix.
#include "engine/sys_folders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

using namespace ko;

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TEST(SystemFolders, TheFoldersTheProgramUsesExist) {
    for (uint8_t id :
         {sfDesktop, sfPersonal, sfWindows, sfSystem, sfTemp, sfProgramFiles, sfCommonPrograms}) {
        const std::string path = GetSystemFolder(id, false);
        EXPECT_TRUE(IsFolder(path)) << int(id) << ": " << path;
    }
    // A 32-bit program on 64-bit Windows sees the 32-bit Program Files.
    EXPECT_NE(GetSystemFolder(sfProgramFiles, false).find("Program Files"), std::string::npos);
    EXPECT_NE(GetSystemFolder(sfCommonPrograms, false).find("Programs"), std::string::npos);
}

TEST(SystemFolders, DelimitersDrivesAndUnknownIds) {
    const std::string temp = GetSystemFolder(sfTemp, false);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\') << "the temporary folder comes with its delimiter";
    EXPECT_EQ(GetSystemFolder(sfTemp, true), temp);
    const std::string programs = GetSystemFolder(sfProgramFiles, false);
    EXPECT_NE(programs.back(), '\\');
    EXPECT_EQ(GetSystemFolder(sfProgramFiles, true), programs + "\\");

    EXPECT_EQ(GetSystemFolder(sfSystemDrive, false), GetSystemFolder(sfSystem, false).substr(0, 2));
    EXPECT_EQ(GetSystemFolder(sfBootDir, false).size(), 2u) << "C: without its backslash";

    EXPECT_EQ(GetSystemFolder(45, false), "");
    EXPECT_EQ(GetSystemFolder(127, true), "\\");
    EXPECT_EQ(GetSystemFolder(128 + sfWindows, false), GetSystemFolder(sfWindows, false))
        << "ids are masked to seven bits";
}

// A registry folder with variables expands in full however long, never cut at a path's length
// without its terminator. MediaPath (id 32) is one nobody else reads; it is put back.
TEST(SystemFolders, LongExpansionsComeWhole) {
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    char old[1024] = {};
    DWORD size = sizeof old;
    const bool had = RegGetValueA(HKEY_LOCAL_MACHINE, key, "MediaPath", RRF_RT_REG_SZ, nullptr, old,
                                  &size) == ERROR_SUCCESS;
    const std::string name(300, 'x');
    SetEnvironmentVariableA("KOSETUP_LONG", name.c_str());
    const char value[] = "C:\\%KOSETUP_LONG%\\Media";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "MediaPath", REG_SZ, value, sizeof value);
    EXPECT_EQ(GetSystemFolder(32, false), "C:\\" + name + "\\Media");
    if (had)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "MediaPath", REG_SZ, old, DWORD(strlen(old) + 1));
    else
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, "MediaPath");
}

TEST(SystemFolders, VariablesComeInTheirOrder) {
    TKoInstall data;
    data.ProductName = "Alpha";
    TVariables variables;
    FillVariables(data, variables);
    std::vector<std::string> names;
    for (const auto& entry : variables.Entries())
        names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"{app}", "{bootdir}", "{windir}", "{winsysdir}",
                                               "{mydocuments}", "{desktop}", "{temp}"}));
    EXPECT_EQ(variables.Value("{app}"), GetSystemFolder(sfProgramFiles, true) + "Alpha");
    // A name with markup names the folder by its plain text.
    data.ProductName = "Alpha <b>Beta</b>";
    FillVariables(data, variables);
    EXPECT_EQ(variables.Value("{app}"), GetSystemFolder(sfProgramFiles, true) + "Alpha Beta");
}
