// The stub's AES routine: the processor's AES instructions where it has them, libcrypto's
// portable block functions elsewhere. ctest runs these twice, once with AES-NI masked off.
#include "package/aes.h"
#include "package/cipher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

using namespace ko;

namespace {

const uint8_t Fips197Key[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

} // namespace

TEST(StubAes, Fips197KnownAnswersBothWays) {
    std::printf("AES routine: %s\n", TAesEcb::Implementation());
    const uint8_t plain[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                               0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    // FIPS 197 appendix C: key bytes 0, 1, 2, ... for 128, 192 and 256 bits.
    const std::pair<int, std::vector<uint8_t>> answers[] = {
        {16,
         {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30, 0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5,
          0x5a}},
        {24,
         {0xdd, 0xa9, 0x7c, 0xa4, 0x86, 0x4c, 0xdf, 0xe0, 0x6e, 0xaf, 0x70, 0xa0, 0xec, 0x0d, 0x71,
          0x91}},
        {32,
         {0x8e, 0xa2, 0xb7, 0xca, 0x51, 0x67, 0x45, 0xbf, 0xea, 0xfc, 0x49, 0x90, 0x4b, 0x49, 0x60,
          0x89}}};
    uint8_t key[32];
    for (int i = 0; i < 32; ++i)
        key[i] = static_cast<uint8_t>(i);
    for (const auto& [keySize, expected] : answers) {
        // Five blocks: the four-block path and the single-block path of the same call.
        std::vector<uint8_t> blocks;
        for (int i = 0; i < 5; ++i)
            blocks.insert(blocks.end(), plain, plain + 16);
        TAesEcb(key, keySize, true).Process(blocks.data(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(0, std::memcmp(blocks.data() + 16 * i, expected.data(), 16)) << keySize;
        TAesEcb(key, keySize, false).Process(blocks.data(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(0, std::memcmp(blocks.data() + 16 * i, plain, 16)) << keySize;
    }
}

TEST(StubAes, ManyBlocksInOneCallEqualBlockByBlock) {
    std::mt19937 random(5);
    std::vector<uint8_t> bulk(1 << 20);
    for (auto& b : bulk)
        b = static_cast<uint8_t>(random());
    std::vector<uint8_t> single = bulk;
    TAesEcb bulkCipher(Fips197Key, 16, false), singleCipher(Fips197Key, 16, false);
    bulkCipher.Process(bulk.data(), bulk.size() / 16);
    for (size_t i = 0; i < single.size(); i += 16)
        singleCipher.Process(single.data() + i, 1);
    EXPECT_EQ(bulk, single);
}

TEST(StubAes, CipherStreamRoundTrip) {
    std::vector<uint8_t> content(300000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<uint8_t>(i * 7);
    TMemoryStream in(content), stored, back;
    CipherStream(in, stored, Fips197Key, 16, true);
    stored.SetPosition(0);
    CipherStream(stored, back, Fips197Key, 16, false);
    EXPECT_EQ(back.Data(), content);
}
