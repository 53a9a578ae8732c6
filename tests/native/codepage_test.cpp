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
    EXPECT_FALSE(IsSingleByteCodePage(65001));
}

// The double-byte code pages go through the system's conversion, UTF-8 stays as it is; both
// name the character they cannot hold and the byte that begins no character.
TEST(CodePage, DoubleByteAndUtf8) {
    // The second byte of "表" and "ソ" is that of "\\".
    EXPECT_EQ(Utf8ToCodePage("表ソ a", 932).Bytes, "\x95\x5C\x83\x5C a");
    EXPECT_EQ(CodePageToUtf8("\x95\x5C\x83\x5C a", 932), "表ソ a");
    EXPECT_EQ(Utf8ToCodePage("中文", 936).Bytes, "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(Utf8ToCodePage("한국", 949).Bytes, "\xC7\xD1\xB1\xB9");
    EXPECT_EQ(CodePageToUtf8("\xA4\xA4\xA4\xE5", 950), "中文");
    EXPECT_EQ(Utf8ToCodePage("中文한", 936).Unmappable, U'한');
    // A lead byte without its trail byte is no character.
    EXPECT_EQ(CodePageToUtf8("\xD6\xD0\xD6", 936), "中\xEF\xBF\xBD");
    EXPECT_EQ(FindUndefinedByte("\xD6\xD0\xD6", 936), 2u);

    EXPECT_EQ(Utf8ToCodePage("中文 😀 é", Utf8CodePage).Bytes, "中文 😀 é");
    EXPECT_EQ(Utf8ToCodePage("a\xC3", Utf8CodePage).Unmappable, ReplacementCharacter);
    EXPECT_EQ(FindUndefinedByte("中\xC3", Utf8CodePage), 3u);
    EXPECT_EQ(FindUndefinedByte("\xEF\xBF\xBD", Utf8CodePage), std::nullopt);
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
