// The stub's AES routine: libcrypto's AES-NI code where the processor has it, the portable
// block functions elsewhere. ctest runs these twice, once with AES-NI masked off.
#include "package/aes.h"
#include "package/cipher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

using namespace ko;

namespace {

const uint8_t Fips197Key[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

} // namespace

TEST(StubAes, Fips197KnownAnswerBothWays) {
    std::printf("AES routine: %s\n", TAesEcb::Implementation());
    uint8_t block[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    const uint8_t plain[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                               0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    const uint8_t expected[16] = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                                  0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
    TAesEcb(Fips197Key, 16, true).Process(block, 1);
    EXPECT_EQ(0, std::memcmp(block, expected, 16));
    TAesEcb(Fips197Key, 16, false).Process(block, 1);
    EXPECT_EQ(0, std::memcmp(block, plain, 16));
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
