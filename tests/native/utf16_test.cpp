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
