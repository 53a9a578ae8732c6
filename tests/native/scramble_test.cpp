#include "package/format.h"
#include "package/scramble.h"

#include <gtest/gtest.h>

#include <set>

using namespace ko;

TEST(Scramble, AlphabetHas65DistinctPrintableCharacters) {
    const std::string alphabet = format::ScrambleAlphabet;
    ASSERT_EQ(alphabet.size(), 65u);
    EXPECT_EQ(std::set<char>(alphabet.begin(), alphabet.end()).size(), 65u);
    EXPECT_NE(alphabet.substr(0, 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ") << "not the base64 alphabet";
}

TEST(Scramble, LengthsAndPadding) {
    const char pad = format::ScrambleAlphabet[64];
    EXPECT_EQ(EncodeString(""), "");
    EXPECT_EQ(EncodeString("abc").size(), 4u);
    const std::string one = EncodeString("a");
    ASSERT_EQ(one.size(), 4u);
    EXPECT_NE(one[1], pad);
    EXPECT_EQ(one.substr(2), std::string(2, pad));
    const std::string two = EncodeString("ab");
    EXPECT_NE(two[2], pad);
    EXPECT_EQ(two[3], pad);
    EXPECT_EQ(DecodeString(""), "");
}

// Uninstallers already installed hold their texts scrambled so: a changed alphabet or bit layout
// would still round-trip but leave every one of them unreadable.
TEST(Scramble, KnownAnswers) {
    const std::pair<std::string, std::string> known[] = {
        {"A", "00tt"},
        {"AB", "0TRt"},
        {"ABC", "0T5w"},
        {"Sample Trend EA", "TfhUAHu-RhsLxVvYRKNc"},
        {"{app}\\x.txt", "Wfh6AgbAWDv2Wg0t"},
        {std::string("\x00\xff\x80\x7f", 4), "lr7lq6tt"},
        {"\xfb\xef\xbe", "7777"},
    };
    for (const auto& [plain, scrambled] : known) {
        EXPECT_EQ(EncodeString(plain), scrambled) << scrambled;
        EXPECT_EQ(DecodeString(scrambled), plain) << scrambled;
    }
}

TEST(Scramble, RoundTripsEveryByteAtEveryLength) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (size_t n = 0; n <= all.size(); ++n) {
        const std::string text = all.substr(all.size() - n);
        const std::string encoded = EncodeString(text);
        EXPECT_EQ(encoded.size(), (n + 2) / 3 * 4);
        EXPECT_EQ(DecodeString(encoded), text) << n;
    }
}

TEST(Scramble, DecodeToleratesDamagedText) {
    const std::string encoded = EncodeString("hello world!");
    // A character left over after whole groups starts no group.
    EXPECT_EQ(DecodeString(encoded + "x"), "hello world!");
    // Groups cut short take the missing positions as padding.
    EXPECT_EQ(DecodeString(encoded.substr(0, 14)), "hello worl");
    EXPECT_EQ(DecodeString(encoded.substr(0, 15)), "hello world");
    // Characters outside the alphabet count as digit 0.
    EXPECT_EQ(DecodeString("\x01\x02\x03\x04"), std::string(3, '\0'));
}
