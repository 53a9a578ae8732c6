#include "base/utf16.h"

#include <gtest/gtest.h>

using namespace ko;

TEST(CodePage, Utf16RoundTripsEveryPlaneAndRepairsBrokenText) {
    const std::string text = "Łódź Проба 中文 \xF0\x9F\x93\x88"; // U+1F4C8 needs a surrogate pair
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"Łódź Проба 中文 \U0001F4C8");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    // A lone surrogate (a broken file name) and a malformed byte each become U+FFFD.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD"
                                                                           "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
}

// The edges of each length of UTF-8 and of the surrogates, both ways: the last character of one
// form and the first of the next.
TEST(CodePage, Utf8AndUtf16AtTheEdgesOfEachForm) {
    const struct {
        char32_t CodePoint;
        const char* Utf8;
        std::u16string Utf16;
    } edges[] = {{0x7F, "\x7F", u"\x7F"},
                 {0x80, "\xC2\x80", u"\x80"},
                 {0x7FF, "\xDF\xBF", u"\u07FF"},
                 {0x800, "\xE0\xA0\x80", u"\u0800"},
                 {0xD7FF, "\xED\x9F\xBF", u"\uD7FF"},
                 {0xE000, "\xEE\x80\x80", u"\uE000"},
                 {0xFFFF, "\xEF\xBF\xBF", std::u16string(1, char16_t(0xFFFF))},
                 {0x10000, "\xF0\x90\x80\x80", {char16_t(0xD800), char16_t(0xDC00)}},
                 {0x103FF, "\xF0\x90\x8F\xBF", {char16_t(0xD800), char16_t(0xDFFF)}},
                 {0x10FC00, "\xF4\x8F\xB0\x80", {char16_t(0xDBFF), char16_t(0xDC00)}},
                 {0x10FFFF, "\xF4\x8F\xBF\xBF", {char16_t(0xDBFF), char16_t(0xDFFF)}}};
    for (const auto& edge : edges) {
        SCOPED_TRACE(std::to_string(edge.CodePoint));
        std::u16string appended, wide = u"a" + edge.Utf16 + u"b";
        AppendUtf16(appended, edge.CodePoint);
        EXPECT_EQ(appended, edge.Utf16);
        EXPECT_EQ(Utf8ToUtf16(std::string("a") + edge.Utf8 + "b"), wide);
        EXPECT_EQ(Utf16ToUtf8(wide), std::string("a") + edge.Utf8 + "b");
    }
    // Just past each edge: overlong forms, surrogates and values beyond U+10FFFF are malformed.
    for (const char* bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                            "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"})
        EXPECT_EQ(Utf8ToUtf16(bad, true), std::nullopt) << bad;
    // A surrogate without its partner is no character, whichever half it is.
    for (const std::u16string& lone :
         {std::u16string{char16_t(0xD800), u'x'}, std::u16string{char16_t(0xDBFF)},
          std::u16string{char16_t(0xDC00), char16_t(0xD800)}, std::u16string{char16_t(0xDFFF)}})
        EXPECT_EQ(Utf16ToUtf8(lone).substr(0, 3), "\xEF\xBF\xBD");
}
