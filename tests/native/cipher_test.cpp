#include "package/aes.h"
#include "package/cipher.h"
#include "package/format.h"

#include <gtest/gtest.h>

#include <random>

using namespace ko;

namespace {

const uint8_t TestKey[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& plain) {
    TMemoryStream in(plain), out;
    CipherStream(in, out, TestKey, 16, true);
    return out.Data();
}

} // namespace

TEST(Aes, Fips197KnownAnswer) {
    uint8_t block[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    const uint8_t expected[16] = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                                  0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
    TAesEcb(TestKey, 16, true).Process(block, 1);
    EXPECT_EQ(0, memcmp(block, expected, 16));
    TAesEcb(TestKey, 16, false).Process(block, 1);
    EXPECT_EQ(block[15], 0xff);
}

TEST(Cipher, RoundTripsAcrossBlockAndChunkBoundaries) {
    for (size_t n : {0, 15, 16, 17, (1 << 20) - 1, 1 << 20, (1 << 20) + 17, (2 << 20) + 1}) {
        const auto plain = RandomBytes(n, static_cast<unsigned>(n));
        const auto stored = Encipher(plain);
        EXPECT_EQ(static_cast<int64_t>(stored.size()), format::StoredSize(n)) << n;
        TMemoryStream in(stored), out;
        CipherStream(in, out, TestKey, 16, false);
        EXPECT_EQ(out.Data(), plain) << n;
    }
}

TEST(Cipher, StoredBlocksAreIndependent) {
    // ECB: equal plain blocks give equal stored blocks, so bulk and block-wise processing agree.
    const auto stored = Encipher(std::vector<uint8_t>(48, 7));
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 16, stored.begin() + 16));
}

TEST(Cipher, TrailingBytesAfterTheLastWholeBlockAreIgnored) {
    auto stored = Encipher(std::vector<uint8_t>(20, 3));
    ASSERT_EQ(stored.size(), 32u);
    stored.insert(stored.end(), {1, 2, 3, 4}); // 36 bytes: two blocks and four stray bytes
    TMemoryStream in(stored), out;
    CipherStream(in, out, TestKey, 16, false);
    EXPECT_EQ(out.Data(), std::vector<uint8_t>(20, 3));
}

TEST(Cipher, ShortInputFailsAndKeepsWhatWasWritten) {
    const auto plain = RandomBytes(100, 1);
    auto stored = Encipher(plain); // 112 bytes
    TMemoryStream tiny(std::vector<uint8_t>(stored.begin(), stored.begin() + 15)), none;
    EXPECT_THROW(CipherStream(tiny, none, TestKey, 16, false), ECipherException);
    EXPECT_TRUE(none.Data().empty());

    // A window that claims more than it can deliver: the blocks before the gap are kept.
    struct TClaimsMore : TMemoryStream {
        using TMemoryStream::TMemoryStream;
        int64_t Size() override { return 112; }
    } cut(std::vector<uint8_t>(stored.begin(), stored.begin() + 40));
    TMemoryStream partial;
    try {
        CipherStream(cut, partial, TestKey, 16, false);
        FAIL();
    } catch (const ECipherException& e) {
        EXPECT_STREQ(e.what(), "Invalid file format");
    }
    EXPECT_EQ(partial.Data(), std::vector<uint8_t>(plain.begin(), plain.begin() + 32));
}

TEST(Cipher, WrongKeyOrDamagedCountIsInvalidNotAnOverrun) {
    // Plain final block with count 200: a conforming writer never makes it.
    uint8_t block[16] = {};
    block[15] = 200;
    TAesEcb(TestKey, 16, true).Process(block, 1);
    TMemoryStream in(std::vector<uint8_t>(block, block + 16)), out;
    EXPECT_THROW(CipherStream(in, out, TestKey, 16, false), ECipherException);
    EXPECT_TRUE(out.Data().empty());

    const uint8_t wrongKey[16] = {9};
    int invalid = 0;
    for (unsigned seed = 0; seed < 64; ++seed) {
        TMemoryStream stored(Encipher(RandomBytes(5, seed))), sink;
        try {
            CipherStream(stored, sink, wrongKey, 16, false);
            EXPECT_LE(sink.Size(), 15);
        } catch (const ECipherException&) {
            ++invalid;
        }
    }
    EXPECT_GT(invalid, 40) << "a random count byte is above 15 most of the time";
}

TEST(Cipher, EmptyFinalBlockWritesNothing) {
    TMemoryStream in(Encipher({})), out;
    EXPECT_EQ(in.Size(), 16);
    CipherStream(in, out, TestKey, 16, false);
    EXPECT_EQ(out.Size(), 0);
}

// The stub deciphers small files in memory and large ones as a stream: both must give the same
// content and fail on the same inputs.
TEST(Cipher, InMemoryDecipherAgreesWithTheStream) {
    const auto plain = RandomBytes(100, 2);
    const auto stored = Encipher(plain);
    uint8_t badCount[16] = {};
    badCount[15] = 16;
    TAesEcb(TestKey, 16, true).Process(badCount, 1);
    std::vector<uint8_t> withStray = stored;
    withStray.insert(withStray.end(), {1, 2, 3});
    const std::vector<std::vector<uint8_t>> inputs = {
        stored,
        Encipher({}),
        Encipher(RandomBytes((1 << 20) + 5, 3)),
        withStray,
        std::vector<uint8_t>(stored.begin(), stored.begin() + 15),
        {},
        std::vector<uint8_t>(badCount, badCount + 16)};
    for (size_t i = 0; i < inputs.size(); ++i) {
        TMemoryStream streamIn(inputs[i]), streamOut, memoryIn(inputs[i]);
        bool streamFailed = false;
        try {
            CipherStream(streamIn, streamOut, TestKey, 16, false);
        } catch (const ECipherException&) {
            streamFailed = true;
        }
        std::vector<uint8_t> buffer;
        try {
            const int64_t n = DecipherToMemory(memoryIn, buffer, TestKey, 16);
            EXPECT_FALSE(streamFailed) << i;
            EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + n), streamOut.Data())
                << i;
        } catch (const ECipherException& e) {
            EXPECT_TRUE(streamFailed) << i;
            EXPECT_STREQ(e.what(), "Invalid file format");
        }
    }
}
