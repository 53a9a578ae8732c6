#include "base/errors.h"
#include "engine/variables.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

TVariables Sample() {
    TVariables v;
    v.Add("{app}", "C:\\Program Files\\Alpha");
    v.Add("{bootdir}", "C:");
    v.Add("{temp}", "C:\\users\\me\\Temp\\");
    return v;
}

} // namespace

TEST(ExpandPath, NamesMatchInAnyCaseAndUnknownOnesStay) {
    const TVariables v = Sample();
    EXPECT_EQ(ExpandPath("{app}\\Readme.txt", v), "C:\\Program Files\\Alpha\\Readme.txt");
    EXPECT_EQ(ExpandPath("{APP}\\a\\{App}\\b", v),
              "C:\\Program Files\\Alpha\\a\\C:\\Program Files\\Alpha\\b");
    EXPECT_EQ(ExpandPath("{other}\\x", v), "{other}\\x");
    EXPECT_EQ(ExpandPath("{app", v), "{app");
    // The temporary folder keeps its trailing delimiter, so the path gets two in a row.
    EXPECT_EQ(ExpandPath("{temp}\\setup.exe", v), "C:\\users\\me\\Temp\\\\setup.exe");
}

TEST(ExpandPath, LaterEntriesExpandWhatEarlierValuesBrought) {
    TVariables v;
    v.Add("{app}", "{bootdir}\\Alpha");
    v.Add("{bootdir}", "D:");
    EXPECT_EQ(ExpandPath("{app}\\x", v), "D:\\Alpha\\x");

    TVariables reversed; // an earlier entry is not applied again to a later value
    reversed.Add("{bootdir}", "D:");
    reversed.Add("{app}", "{bootdir}\\Alpha");
    EXPECT_EQ(ExpandPath("{app}\\x", reversed), "{bootdir}\\Alpha\\x");
}

TEST(Variables, TheTerminalFolderIsReplacedInPlaceOrAppended) {
    TVariables v = Sample();
    v.SetValue("{metatrader}", "C:\\MT4 one");
    EXPECT_EQ(v.Entries().back().first, "{metatrader}");
    v.SetValue("{MetaTrader}", "C:\\MT4 two");
    EXPECT_EQ(v.Entries().size(), 4u);
    EXPECT_EQ(ExpandPath("{MetaTrader}\\experts\\x.ex4", v), "C:\\MT4 two\\experts\\x.ex4");
    EXPECT_EQ(v.Value("{METATRADER}"), "C:\\MT4 two");
}

// A target is written only where it names a full path: a variable the list lacks or holds no
// value for, or a value that leaves the path relative, names the target in the error.
TEST(ExpandTarget, RefusesWhatWouldLandInTheCurrentFolder) {
    TVariables v = Sample();
    v.Add("{desktop}", "");
    EXPECT_EQ(ExpandTarget("{APP}\\a.txt", v), "C:\\Program Files\\Alpha\\a.txt");
    EXPECT_EQ(ExpandTarget("{bootdir}\\a.txt", v), "C:\\a.txt");
    const auto problem = [&](const std::string& path) -> std::string {
        try {
            ExpandTarget(path, v);
        } catch (const EKoError& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_EQ(problem("{metatradex}\\MQL4\\Experts\\x.ex4"),
              "The installer cannot write \"{metatradex}\\MQL4\\Experts\\x.ex4\": {metatradex} "
              "stands for no folder here.");
    EXPECT_NE(problem("{app}\\{metatrader}\\x").find("{metatrader} stands for no folder"),
              std::string::npos);
    EXPECT_NE(problem("{desktop}\\x.url").find("{desktop} stands for no folder"),
              std::string::npos);
    EXPECT_NE(problem("{app\\x").find("{app\\x stands for no folder"), std::string::npos);
    EXPECT_EQ(problem("MQL4\\x.ex4"), "The installer cannot write \"MQL4\\x.ex4\": it becomes "
                                      "\"MQL4\\x.ex4\", which is not a full path.");
    v.SetValue("{metatrader}", "MT4");
    EXPECT_NE(problem("{metatrader}\\x").find("becomes \"MT4\\x\""), std::string::npos);
}
