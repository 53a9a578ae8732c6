#include "base/codepage.h"
#include "base/double_byte.h"

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

// Code page 932 maps these characters one way only, onto ASCII bytes ("¥" onto "\", which would
// split a folder name); stored so, they come back as something else. The other double-byte code
// pages either hold each of them both ways or not at all.
TEST(CodePage, OneWayMappingsAreRefused) {
    for (const char32_t c : {U'¥', U'—', U'¢', U'£', U'¬', U'‾'}) {
        std::string utf8;
        AppendUtf8(utf8, c);
        SCOPED_TRACE(DescribeCharacter(c));
        EXPECT_EQ(Utf8ToCodePage("a" + utf8, 932).Unmappable, c);
        for (int codePage : {936, 949, 950}) {
            const TCodePageText text = Utf8ToCodePage(utf8, codePage);
            if (text.Unmappable)
                continue;
            EXPECT_EQ(CodePageToUtf8(text.Bytes, codePage), utf8) << codePage;
            ASSERT_EQ(text.Bytes.size(), 2u) << codePage;
            EXPECT_TRUE(IsLeadByte(uint8_t(text.Bytes[0]), codePage)) << codePage;
        }
    }
}

// The first and last byte of each range of lead bytes begins a two-byte character, the bytes
// just outside do not; a lead byte that ends the text is no character, and the check names it,
// not an earlier byte.
TEST(CodePage, LeadByteRangesOfTheDoubleBytePages) {
    const struct {
        int CodePage;
        std::vector<int> Leads, NotLeads;
    } ranges[] = {{932, {0x81, 0x9F, 0xE0, 0xFC}, {0x80, 0xA0, 0xDF, 0xFD}},
                  {936, {0x81, 0xFE}, {0x80, 0xFF}},
                  {949, {0x81, 0xFE}, {0x80, 0xFF}},
                  {950, {0x81, 0xFE}, {0x80, 0xFF}}};
    for (const auto& range : ranges) {
        for (int byte : range.Leads)
            EXPECT_TRUE(IsLeadByte(uint8_t(byte), range.CodePage)) << range.CodePage << " " << byte;
        for (int byte : range.NotLeads)
            EXPECT_FALSE(IsLeadByte(uint8_t(byte), range.CodePage))
                << range.CodePage << " " << byte;
    }
    EXPECT_FALSE(IsLeadByte(0x81, 1252));

    // Characters whose lead byte is the first or last of a range, each followed by a lead byte
    // alone at the end.
    const struct {
        int CodePage;
        const char* Bytes;
        const char* Text;
    } ends[] = {
        {932, "\x81\x40\xFC", "　"}, {932, "\xFC\x40\x81", "髜"}, {932, "\x9F\x40\xE0", "檗"},
        {932, "\xE0\x40\x9F", "漾"}, {936, "\x81\x40\xFE", "丂"}, {936, "\xFE\x40\x81", "\uFA0C"},
        {949, "\x81\x41\xFE", "갂"}, {950, "\xA1\x40\x81", "　"}, {950, "\xA1\x40\xFE", "　"}};
    for (const auto& end : ends) {
        SCOPED_TRACE(std::to_string(end.CodePage) + " " + end.Text);
        EXPECT_EQ(FindUndefinedByte(end.Bytes, end.CodePage), 2u);
        EXPECT_EQ(CodePageToUtf8(end.Bytes, end.CodePage), std::string(end.Text) + "\uFFFD");
        EXPECT_EQ(FindUndefinedByte(std::string(end.Bytes, 2), end.CodePage), std::nullopt);
    }
}
