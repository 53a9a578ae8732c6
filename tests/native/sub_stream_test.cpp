#include "base/errors.h"
#include "package/sub_stream.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace ko;

namespace {

TMemoryStream Numbers(size_t n) {
    std::vector<uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), 0);
    return TMemoryStream(bytes);
}

} // namespace

TEST(SubStream, ReadsExactlyItsRangeInPieces) {
    TMemoryStream source = Numbers(200);
    TSubStream window(source, 10, 10 + 40 - 1);
    EXPECT_EQ(window.Size(), 40);
    EXPECT_EQ(window.Seek(0, TSeekOrigin::Beginning), 0);
    std::vector<uint8_t> all;
    uint8_t piece[16];
    int64_t n;
    while ((n = window.Read(piece, 16)) > 0)
        all.insert(all.end(), piece, piece + n);
    ASSERT_EQ(all.size(), 40u);
    EXPECT_EQ(all.front(), 10);
    EXPECT_EQ(all.back(), 49);
    EXPECT_EQ(window.Read(piece, 16), 0);
}

TEST(SubStream, CreationMovesTheSourceIntoTheRange) {
    TMemoryStream source = Numbers(100);
    source.SetPosition(5);
    TSubStream before(source, 20, 29);
    EXPECT_EQ(source.Position(), 20);
    source.SetPosition(90);
    TSubStream after(source, 20, 29);
    EXPECT_EQ(source.Position(), 29);
    source.SetPosition(25);
    TSubStream inside(source, 20, 29);
    EXPECT_EQ(source.Position(), 25);
}

TEST(SubStream, WindowsShareTheSourcePosition) {
    TMemoryStream source = Numbers(100);
    TSubStream a(source, 0, 49), b(source, 10, 59);
    a.Seek(20, TSeekOrigin::Beginning);
    EXPECT_EQ(b.Position(), 10);
    uint8_t byte;
    b.Read(&byte, 1);
    EXPECT_EQ(byte, 20);
    EXPECT_EQ(a.Position(), 21);
}

TEST(SubStream, OutOfRangePositions) {
    TMemoryStream source = Numbers(100);
    TSubStream window(source, 10, 19);
    EXPECT_THROW(window.Seek(-1, TSeekOrigin::Beginning), EKoError);
    EXPECT_EQ(window.Seek(0, TSeekOrigin::End), 9);

    // Beyond the end nothing is read or written, and the source is left alone.
    source.SetPosition(50);
    uint8_t buffer[8] = {0xEE};
    EXPECT_EQ(window.Read(buffer, 8), 0);
    EXPECT_EQ(window.Write(buffer, 8), 0);
    EXPECT_EQ(source.Position(), 50);
    EXPECT_EQ(source.Data()[50], 50);

    TMemoryStream other = Numbers(10);
    TSubStream empty(other, 5, 4);
    EXPECT_EQ(empty.Size(), 0);
    empty.Seek(0, TSeekOrigin::Beginning);
    EXPECT_EQ(empty.Read(buffer, 8), 0);
}

TEST(SubStream, WritesStopAtTheLastByte) {
    TMemoryStream source = Numbers(20);
    TSubStream window(source, 4, 7);
    window.Seek(2, TSeekOrigin::Beginning);
    const uint8_t ff[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(window.Write(ff, 8), 2);
    EXPECT_EQ(source.Data()[5], 5);
    EXPECT_EQ(source.Data()[6], 0xFF);
    EXPECT_EQ(source.Data()[7], 0xFF);
    EXPECT_EQ(source.Data()[8], 8);
}
