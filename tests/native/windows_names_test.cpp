#include "package/windows_names.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace ko;

namespace {

using TCases = std::vector<std::pair<std::string, std::string>>;

template <class F>
void ExpectEach(F function, const TCases& cases) {
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(function(input), expected) << "for \"" << input << "\"";
}

} // namespace

TEST(WindowsNames, FolderNameIsThePlainTextOfTheMarkup) {
    ExpectEach(FolderNameOf, {{"Sample EA", "Sample EA"},
                              {"Caf\xE9 R\xF6stung", "Caf\xE9 R\xF6stung"},
                              {"Probe <b>Bold</b> <link>C:\\probe\\marker.exe</link>",
                               "Probe Bold Cprobemarker.exe"},
                              {"One<br>Two<p>Three", "One Two Three"},
                              {"&lt;Pro&gt;  *EA*  ", "Pro EA"},
                              {"<b></b> .. Name. . ", "Name"},
                              // A plain name keeps its blanks; only its end is trimmed.
                              {"  Sample   EA  . ", "  Sample   EA"},
                              {"Trend? Pro: 2", "Trend Pro 2"},
                              {"Foo {app} <x>", "Foo app"},
                              {"Cut</b> here", "Cut"},
                              {"a\tb", "ab"},
                              {"<i>a</i>\tb", "a b"},
                              {"<b></b>", ""},
                              {"...", ""}});
}

TEST(WindowsNames, ProblemsOfOneName) {
    ExpectEach(NameProblem,
               {{"Sample EA.txt", ""},
                {"CONSOLE", ""},
                {"", "is empty"},
                {"  ", "is blank"},
                {"..", "names a folder, not a file or folder of its own"},
                {"a:b", "holds character U+003A ':', which Windows does not allow in names"},
                {"a\\b", "holds character U+005C '\\', which Windows does not allow in names"},
                {"a\x01", "holds character U+0001, which Windows does not allow in names"},
                {"Name.", "ends in a dot, which Windows drops from names"},
                {"Name ", "ends in a blank, which Windows drops from names"},
                {"con", "is the device name CON, which Windows reserves"},
                {"Com7.log", "is the device name COM7, which Windows reserves"},
                {"nul .txt", "is the device name NUL, which Windows reserves"}});
}

TEST(WindowsNames, SafeNamesStayInsideTheirFolder) {
    ExpectEach(SafeName, {{"Sample", "Sample"},
                          {"a/b\\c:d", "a_b_c_d"},
                          {"aux.txt", "_aux.txt"},
                          {"..", "_"},
                          {"", "_"}});
    ExpectEach(SafeRelativePath, {{"Manual", "Manual"},
                                  {"..\\..\\Startup\\x", "Startup\\x"},
                                  {"Docs/./Guide?", "Docs\\Guide_"},
                                  {"\\\\server\\PRN", "server\\_PRN"},
                                  {"../..", "_"}});
    ExpectEach(ProductFolderName,
               {{"Sample EA", "Sample EA"}, {"<b>..</b>", "_"}, {"NUL", "_NUL"}});
}
