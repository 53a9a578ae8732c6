#include "engine/terminal_origin.h"

#include "base/codepage.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

// Windows-1252 through the builder's own tables, standing in for the system's code page.
std::string Cp1252(std::string_view bytes) {
    return CodePageToUtf8(bytes, 1252);
}

std::optional<std::string> Read(std::string_view bytes) {
    return ReadOriginText(bytes, Cp1252);
}

std::string Utf16(std::u16string_view text, bool bom = true) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// "C:\Program Files (x86)\MetaTrader Élan" in UTF-8 and in code page 1252.
const std::string Elan = "C:\\Program Files (x86)\\MetaTrader \xC3\x89lan";
const std::string Elan1252 = "C:\\Program Files (x86)\\MetaTrader \xC9lan";

} // namespace

TEST(OriginText, EveryEncodingGivesThePathInUtf8) {
    EXPECT_EQ(Read(Utf16(u"C:\\Program Files (x86)\\MetaTrader \u00C9lan")), Elan);
    EXPECT_EQ(Read("\xEF\xBB\xBF"
                   "C:\\Program Files (x86)\\MetaTrader \xC3\x89lan"),
              Elan);
    EXPECT_EQ(Read("C:\\Program Files (x86)\\MetaTrader \xC3\x89lan"), Elan);
    EXPECT_EQ(Read(Elan1252), Elan);
    // Names the system's code page cannot hold are as good as any other.
    EXPECT_EQ(Read(Utf16(u"C:\\\u6307\u6807")), "C:\\\xE6\x8C\x87\xE6\xA0\x87");
    // Blanks, line ends and trailing separators go; a network path is no terminal folder.
    EXPECT_EQ(Read(Utf16(u" \tD:\\Trading\\MT4\\\r\n") + std::string(2, '\0')), "D:\\Trading\\MT4");
    EXPECT_EQ(Read("\\\\server\\share\\MT4\\\r\n"), std::nullopt);
    std::string largest = "C:\\MT4" + std::string(OriginFileLimit - 6, ' ');
    EXPECT_EQ(Read(largest), "C:\\MT4");
    EXPECT_EQ(Read(largest + " "), std::nullopt);
}

TEST(OriginText, WhatIsNoPathOrNoTextIsRefused) {
    const std::vector<std::string> refused = {
        "",
        " \r\n",
        "\xFF\xFE",
        "MetaTrader 4",
        "Trading\\MT4",
        "C:MT4",
        "C:\\",
        "C:\\\\MT4",
        "\\\\server",
        "\\\\server\\",
        "\\MT4",
        "C:\\MT4\r\nD:\\MT4",
        "C:\\MT\t4",
        "C:\\MT4|x",
        "C:\\MT4\\a:b",
        "\\\\?\\C:\\MT4",
        "C:\\Program Files (x86)\\..\\Users\\other\\MT4", // elsewhere than it looks
        "C:\\.\\MT4",
        "C:\\MT4\\..",
        "C:\\MT4\\...\\x",
        "C:\\MT4\\. .\\x",
        std::string("C:\\MT4\0\x01\x02"
                    "garbage",
                    16),
        Utf16(u"C:\\MT4", false),                 // no byte-order mark: zero bytes inside
        Utf16(u"C:\\MT4") + std::string(1, '\0'), // an odd byte count
        Utf16(u"C:\\MT\xD800"
              "4"), // a lone surrogate
        "\xEF\xBB\xBF"
        "C:\\MT\xC9"
        "4", // announced as UTF-8, but it is not
    };
    for (const std::string& bytes : refused)
        EXPECT_EQ(Read(bytes), std::nullopt) << bytes;
}

// A path is taken only when Windows reads every step as the name it shows: another spelling
// of a folder (a "/" for "\", a step that climbs or that Windows trims, a short name) could
// put a folder of another user's profile where the text shows Program Files. Each row has a
// plain neighbour that is kept.
TEST(OriginText, OnlyStepsThatArePlainNamesAreTaken) {
    const struct {
        const char* Refused;
        const char* Taken;
    } cases[] = {
        {"C:\\Program Files (x86)/../Users/bob/MT4", "C:\\Program Files (x86)\\Users\\bob\\MT4"},
        {"C:\\Program Files (x86)/MT4", "C:\\Program Files (x86)\\MT4"},
        {"C:/Users/bob/MT4", "C:\\Users\\bob\\MT4"},
        {"C:\\Users\\BOBSMI~1\\MT4", "C:\\Users\\BOBSMITH\\MT4"},
        {"C:\\PROGRA~2\\MT4", "C:\\PROGRAM2\\MT4"},
        {"C:\\MT4~", "C:\\MT4-"},
        {"C:\\Program Files (x86)\\..\\Users\\bob\\MT4", "C:\\Program Files (x86)\\..MT4"},
        {"C:\\Users.\\bob\\MT4", "C:\\Users.x\\bob\\MT4"},
        {"C:\\Users \\bob\\MT4", "C:\\ Users\\bob\\MT4"},
        {"C:\\MT4\\NUL\\x", "C:\\MT4\\NULL\\x"},
        {"C:\\MT4\\com1.txt", "C:\\MT4\\com10.txt"},
        {"C:\\MT4\x7F", "C:\\MT4\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.Refused), std::nullopt) << c.Refused;
        EXPECT_NE(Read(c.Taken), std::nullopt) << c.Taken;
    }
}

TEST(OriginText, FoldersMatchWithoutCaseAndTrailingSeparators) {
    EXPECT_TRUE(SameFolder("C:\\Trading\\MT4", "c:\\TRADING\\mt4\\"));
    EXPECT_TRUE(SameFolder("C:\\Trading\\MT4\\\\", "C:\\Trading\\MT4"));
    EXPECT_FALSE(SameFolder("C:\\Trading\\MT4", "C:\\Trading\\MT4 Two"));
    EXPECT_FALSE(SameFolder("C:\\Trading\\MT4", "C:\\Trading"));

    const std::vector<TDataFolder> found = {
        {"A\\1", "C:\\MT4"}, {"B\\2", "C:\\Other"}, {"B\\3", "c:\\mt4\\"}};
    EXPECT_EQ(DataFoldersOf(found, "C:\\MT4"), (std::vector<std::string>{"A\\1", "B\\3"}));
    EXPECT_TRUE(DataFoldersOf(found, "C:\\MT").empty());
}
