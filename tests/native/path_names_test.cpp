#include "base/ascii_text.h"
#include "base/path_names.h"

#include <gtest/gtest.h>

using namespace ko;

// Windows compares names without regard to the case of A to Z only: the bytes of other letters,
// UTF-8's included, must pass through a fold untouched or a name would match another one.
TEST(AsciiText, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(AsciiLowerCase("{MetaTrader}\\\xC3\x89TAT"), "{metatrader}\\\xC3\x89tat");
    EXPECT_TRUE(SameText("Uninstall.EXE", "uninstall.exe"));
    EXPECT_FALSE(SameText("\xC3\x84", "\xC3\xA4")); // Ä and ä
    EXPECT_FALSE(SameText("LOG", "LO"));
    EXPECT_EQ(AsciiUpper(u'z'), u'Z');
    EXPECT_EQ(AsciiUpper(u'\u00E9'), u'\u00E9');
    EXPECT_EQ(Trim(" \t mailto:a@b \r\n"), "mailto:a@b");
}

TEST(PathNames, SplitAtBackslashAndDrive) {
    EXPECT_EQ(ExtractFilePath("C:\\dir\\a.txt"), "C:\\dir\\");
    EXPECT_EQ(ExtractFileDir("C:\\dir\\a.txt"), "C:\\dir");
    EXPECT_EQ(ExtractFileDir("C:\\a.txt"), "C:\\"); // a drive root keeps its delimiter
    EXPECT_EQ(ExtractFileName("C:a.txt"), "a.txt");
    EXPECT_EQ(ExtractFileName("a.txt"), "a.txt");
    EXPECT_EQ(ChangeFileExt("C:\\v1.2\\setup", ".log"), "C:\\v1.2\\setup.log");
    EXPECT_EQ(ChangeFileExt("C:\\setup.exe", ".log"), "C:\\setup.log");
    EXPECT_EQ(IncludeTrailingDelimiter("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(IncludeTrailingDelimiter("C:\\dir\\"), "C:\\dir\\");
}

TEST(PathNames, FolderHoldsWhatLiesBelowItInAnyCase) {
    EXPECT_TRUE(FolderHolds("C:\\Program Files\\Alpha", "c:\\PROGRAM FILES\\alpha\\x.txt"));
    EXPECT_TRUE(FolderHolds("C:\\Program Files\\Alpha\\", "C:\\Program Files\\Alpha\\x.txt"));
    EXPECT_FALSE(FolderHolds("C:\\Program Files\\Alpha", "C:\\Program Files\\AlphaBeta\\x"));
    EXPECT_FALSE(FolderHolds("C:\\Program Files\\Alpha", "C:\\Program Files\\Alpha\\"));
}

TEST(PathNames, FullPathsNeedADriveAndRootOrAShare) {
    for (const char* full : {"C:\\x.txt", "z:\\", "A:\\", "Z:\\x", "a:\\", "\\\\server\\share",
                             "\\\\server\\share\\a", "\\\\s\\t"})
        EXPECT_TRUE(IsFullPath(full)) << full;
    for (const char* relative : {"",
                                 "x.txt",
                                 "MQL4\\x",
                                 "\\x.txt",
                                 "C:x.txt",
                                 "C:",
                                 "1:\\x",
                                 "{metatrader}\\MQL4",
                                 "\\\\server",
                                 "\\\\server\\",
                                 "\\ab\\c",
                                 "\\a\\b\\c",
                                 "C:x",
                                 "@:\\x",
                                 "[:\\x",
                                 "`:\\x",
                                 "{:\\x",
                                 "\\\\\\share\\x",
                                 "\\\\?\\C:\\x",
                                 "\\\\.\\COM1"})
        EXPECT_FALSE(IsFullPath(relative)) << relative;
}
