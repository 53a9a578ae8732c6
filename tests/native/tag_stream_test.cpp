#include "package/format.h"
#include "package/tag_stream.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

// A stream holding the magic, one record of every written type, a nested list with an id the
// reader does not know, and the end record.
TMemoryStream SampleStream() {
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    writer.WriteMagic(format::MagicPackage);
    writer.WriteByte(1, 0xFE);
    writer.WriteInteger(2, -123456789);
    writer.WriteString(3, std::string("a\0b\xff", 4));
    writer.WriteString(4, "");
    TMemoryStream data(std::vector<uint8_t>(10000, 0x5A));
    writer.WriteStream(5, data, 10000);
    writer.WriteTag(6, format::ttList);
    writer.WriteInteger(1, 7);
    writer.WriteTag(99, format::ttList); // unknown nested list inside a list
    writer.WriteString(1, "deep");
    writer.WriteTag(-1, 0);
    writer.WriteTag(-1, 0);
    writer.WriteInteger(7, 42);
    writer.WriteTag(-1, 0);
    stream.SetPosition(0);
    return stream;
}

} // namespace

TEST(TagStream, ValuesRoundTripAndUnknownListsAreSkippedWhole) {
    TMemoryStream stream = SampleStream();
    TTagStreamAdapter reader(stream);
    ASSERT_TRUE(reader.ReadMagic(format::MagicPackage));
    std::vector<int32_t> seen;
    while (reader.ReadTag()) {
        seen.push_back(reader.Tag);
        switch (reader.Tag) {
        case 1:
            EXPECT_EQ(reader.ReadByte(), 0xFE);
            break;
        case 2:
            EXPECT_EQ(reader.ReadInteger(), -123456789);
            break;
        case 3:
            EXPECT_EQ(reader.ReadString(), std::string("a\0b\xff", 4));
            break;
        case 4:
            EXPECT_EQ(reader.ReadString(), "");
            break;
        case 7:
            EXPECT_EQ(reader.ReadInteger(), 42);
            break;
        case 6: // read the list: its known id, then skip the unknown nested list
            while (reader.ReadTag()) {
                if (reader.Tag == 1)
                    EXPECT_EQ(reader.ReadInteger(), 7);
                else
                    reader.SkipValue();
            }
            break;
        default:
            reader.SkipValue();
        }
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(reader.Tag, -1);
    EXPECT_EQ(stream.Position(), stream.Size()) << "the end record is consumed";
}

TEST(TagStream, EmptyValuesHaveTheirFixedSizes) {
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    writer.WriteString(1, "");
    EXPECT_EQ(stream.Size(), 9);
    writer.WriteTag(2, format::ttList);
    writer.WriteTag(-1, 0);
    EXPECT_EQ(stream.Size(), 19);
}

TEST(TagStream, SkippingATopLevelListContinuesAtTheNextRecord) {
    TMemoryStream stream = SampleStream();
    TTagStreamAdapter reader(stream);
    ASSERT_TRUE(reader.ReadMagic(format::MagicPackage));
    std::vector<int32_t> seen;
    while (reader.ReadTag()) {
        seen.push_back(reader.Tag);
        reader.SkipValue();
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(TagStream, TypesWithoutValueAreSkippedInPlace) {
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    for (int type = 9; type <= 255; ++type)
        writer.WriteTag(type, static_cast<uint8_t>(type));
    writer.WriteInteger(1000, 5);
    stream.SetPosition(0);
    TTagStreamAdapter reader(stream);
    int count = 0;
    while (reader.ReadTag() && reader.Tag != 1000) {
        reader.SkipValue();
        ++count;
    }
    EXPECT_EQ(count, 247);
    EXPECT_EQ(reader.ReadInteger(), 5);
}

// Records a newer writer adds, of every value type, under ids the reader does not know: each
// is skipped by its own length, at the top level and inside a list, so that the known record
// behind it still reads right. The value bytes would read as headers of other ids if a skip
// went short or long.
TEST(TagStream, EveryValueTypeIsSkippedByItsOwnLength) {
    const std::vector<std::pair<uint8_t, std::vector<uint8_t>>> values = {
        {format::ttByte, {0xEE}},
        {format::ttByte2, {0xEE}},
        {format::ttWord, {0xEE, 0xEE}},
        {format::ttInteger, {0xEE, 0xEE, 0xEE, 0xEE}},
        {format::ttDword, {0xEE, 0xEE, 0xEE, 0xEE}},
        {format::ttQword, std::vector<uint8_t>(8, 0xEE)},
        {format::ttString, {3, 0, 0, 0, 0xEE, 0xEE, 0xEE}},
        {format::ttData, {5, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {format::ttList,
         {1, 0, 0, 0, format::ttQword, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xFF, 0xFF,
          0xFF, 0xFF, 0}},
        {9, {}},
    };
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    const auto writeLevel = [&] {
        for (const auto& [type, bytes] : values) {
            writer.WriteTag(500 + type, type);
            stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
            writer.WriteInteger(1, type);
        }
    };
    writeLevel();
    writer.WriteTag(2, format::ttList);
    writeLevel();
    writer.WriteTag(-1, 0);
    writer.WriteInteger(1, 1000);
    writer.WriteTag(-1, 0);
    stream.SetPosition(0);

    TTagStreamAdapter reader(stream);
    std::vector<int32_t> known;
    const auto readLevel = [&](auto& self) -> void {
        while (reader.ReadTag()) {
            if (reader.Tag == 1)
                known.push_back(reader.ReadInteger());
            else if (reader.Tag == 2)
                self(self);
            else
                reader.SkipValue();
        }
    };
    readLevel(readLevel);
    std::vector<int32_t> expected;
    for (int level = 0; level < 2; ++level)
        for (const auto& value : values)
            expected.push_back(value.first);
    expected.push_back(1000);
    EXPECT_EQ(known, expected);
    EXPECT_FALSE(reader.StreamEnded) << "the reader stayed in step up to the end record";
}

TEST(TagStream, TruncationAtEveryByteEndsQuietlyInsideTheStream) {
    const std::vector<uint8_t> full = SampleStream().Data();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        TMemoryStream stream(std::vector<uint8_t>(full.begin(), full.begin() + cut));
        TTagStreamAdapter reader(stream);
        if (!reader.ReadMagic(format::MagicPackage)) {
            EXPECT_LT(cut, 4u);
            continue;
        }
        int guard = 0;
        while (reader.ReadTag() && ++guard < 100) {
            if (reader.Tag == 3)
                EXPECT_LE(reader.ReadString().size(), 4u);
            else
                reader.SkipValue();
            ASSERT_LE(stream.Position(), static_cast<int64_t>(cut)) << "cut at " << cut;
        }
        EXPECT_LT(guard, 100);
    }
}

TEST(TagStream, BadCountsEndEveryLevelWithoutLeavingTheStream) {
    for (uint32_t count : {0x80000000u, 0xFFFFFFFFu, 1000u}) {
        TMemoryStream stream;
        TTagStreamAdapter writer(stream);
        writer.WriteTag(1, format::ttList);
        writer.WriteTag(2, format::ttString);
        WriteLE32(stream, count);
        stream.WriteBuffer("abc", 3);
        writer.WriteTag(-1, 0);
        writer.WriteInteger(3, 1); // must not be reached: the stream is no longer trustworthy
        stream.SetPosition(0);

        TTagStreamAdapter reader(stream);
        ASSERT_TRUE(reader.ReadTag());
        ASSERT_TRUE(reader.ReadTag());
        EXPECT_EQ(reader.ReadString(), "");
        EXPECT_EQ(stream.Position(), stream.Size());
        EXPECT_FALSE(reader.ReadTag());
        EXPECT_FALSE(reader.ReadTag()) << "the outer level ends too";

        stream.SetPosition(5); // the same through SkipValue
        ASSERT_TRUE(reader.ReadTag());
        reader.SkipValue();
        EXPECT_EQ(stream.Position(), stream.Size());
    }
}

TEST(TagStream, MagicNeedsFourMatchingBytes) {
    TMemoryStream shortStream(std::vector<uint8_t>{'K', 'O', 'V'});
    EXPECT_FALSE(TTagStreamAdapter(shortStream).ReadMagic(format::MagicPackage));
    TMemoryStream other(std::vector<uint8_t>{'K', 'O', 'V', 'U'});
    EXPECT_FALSE(TTagStreamAdapter(other).ReadMagic(format::MagicPackage));
    other.SetPosition(0);
    EXPECT_TRUE(TTagStreamAdapter(other).ReadMagic(format::MagicUninstall));
}

TEST(TagStream, NestingOfAnyDepthIsSkippedWithoutRecursion) {
    // A million levels: far more stack frames than any thread has, were each level one.
    constexpr int Depth = 1000000;
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    for (int i = 0; i < Depth; ++i)
        writer.WriteTag(99, format::ttList);
    writer.WriteString(5, "inner");
    for (int i = 0; i < Depth; ++i)
        writer.WriteTag(-1, 0);
    writer.WriteInteger(7, 42);
    const std::vector<uint8_t> whole = stream.Data();

    stream.SetPosition(0);
    TTagStreamAdapter reader(stream);
    ASSERT_TRUE(reader.ReadTag());
    reader.SkipValue();
    ASSERT_TRUE(reader.ReadTag());
    EXPECT_EQ(reader.Tag, 7) << "the whole nest was consumed, and no more";
    EXPECT_EQ(reader.ReadInteger(), 42);

    // Cut inside the closing end records: the stream ends every level and nothing is read past.
    TMemoryStream cut(std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    TTagStreamAdapter cutReader(cut);
    ASSERT_TRUE(cutReader.ReadTag());
    cutReader.SkipValue();
    EXPECT_TRUE(cutReader.StreamEnded);
    EXPECT_FALSE(cutReader.ReadTag());
}
