#include "base/codepage.h"

#include <gtest/gtest.h>

using namespace ko;

TEST(CodePage, EveryDefinedByteRoundTrips) {
    for (int codePage : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        ASSERT_TRUE(IsSupportedCodePage(codePage));
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, char(b));
            if (FindUndefinedByte(byte, codePage))
                continue;
            const std::string utf8 = CodePageToUtf8(byte, codePage);
            const TCodePageText back = Utf8ToCodePage(utf8, codePage);
            ASSERT_FALSE(back.Unmappable) << codePage << " byte " << b;
            EXPECT_EQ(back.Bytes, byte) << codePage << " byte " << b;
        }
    }
    EXPECT_FALSE(IsSupportedCodePage(1259));
    EXPECT_FALSE(IsSupportedCodePage(65001));
}

TEST(CodePage, KnownCharactersAndUndefinedBytes) {
    EXPECT_EQ(CodePageToUtf8("\x80", 1252), "€");
    EXPECT_EQ(CodePageToUtf8("\xC0\xFF", 1251), "Ая");
    EXPECT_EQ(CodePageToUtf8("\xA1", 874), "ก");
    EXPECT_EQ(CodePageToUtf8("\xE0", 1255), "א");
    EXPECT_EQ(CodePageToUtf8("a\x81", 1252), "a\xEF\xBF\xBD"); // undefined: U+FFFD
    EXPECT_EQ(FindUndefinedByte("ab\x81", 1252), 2u);
    EXPECT_EQ(FindUndefinedByte("ab\x81", 1251), std::nullopt); // Ѓ in Cyrillic
    EXPECT_EQ(Utf8ToCodePage("Grüße €5", 1252).Bytes, "Gr\xFC\xDF"
                                                      "e \x80"
                                                      "5");
}

TEST(CodePage, ReportsTheFirstUnmappableCharacter) {
    EXPECT_EQ(Utf8ToCodePage("aé中b", 1252).Unmappable, U'中');
    EXPECT_EQ(Utf8ToCodePage("Ж", 1252).Unmappable, U'Ж');
    EXPECT_EQ(Utf8ToCodePage("😀", 1251).Unmappable, U'😀');
    // Malformed UTF-8 (a lone continuation byte, an overlong form, a surrogate) is refused.
    for (const char* bad : {"a\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE4\xB8"})
        EXPECT_EQ(Utf8ToCodePage(bad, 1252).Unmappable, U'\xFFFD') << bad;
    EXPECT_EQ(DescribeCharacter(U'中'), "U+4E2D '中'");
    EXPECT_EQ(DescribeCharacter(U'\x07'), "U+0007");
    EXPECT_EQ(DescribeCharacter(U'😀'), "U+1F600 '😀'");
}
