#include "package/tag_stream.h"

#include "base/errors.h"
#include "package/format.h"

#include <exception>
#include <vector>

namespace ko {

void TTagStreamAdapter::WriteMagic(uint32_t value) {
    WriteLE32(Stream, value);
}

bool TTagStreamAdapter::ReadMagic(uint32_t expected) {
    uint8_t bytes[4];
    return Stream.ReadFully(bytes, 4) == 4 && GetLE32(bytes) == expected;
}

void TTagStreamAdapter::WriteTag(int32_t tag, uint8_t type) {
    uint8_t header[5];
    PutLE32(header, static_cast<uint32_t>(tag));
    header[4] = type;
    Stream.WriteBuffer(header, 5);
}

void TTagStreamAdapter::WriteByte(int32_t tag, uint8_t value) {
    WriteTag(tag, format::ttByte);
    Stream.WriteBuffer(&value, 1);
}

void TTagStreamAdapter::WriteInteger(int32_t tag, int32_t value) {
    WriteTag(tag, format::ttInteger);
    WriteLE32(Stream, static_cast<uint32_t>(value));
}

void TTagStreamAdapter::WriteString(int32_t tag, const std::string& value) {
    WriteTag(tag, format::ttString);
    WriteLE32(Stream, static_cast<uint32_t>(value.size()));
    if (!value.empty())
        Stream.WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

void TTagStreamAdapter::WriteStream(int32_t tag, TStream& source, int64_t count) {
    WriteTag(tag, format::ttData);
    WriteLE32(Stream, static_cast<uint32_t>(count));
    uint8_t buffer[4096];
    while (count > 0) {
        const int64_t chunk = count < 4096 ? count : 4096;
        const int64_t got = source.ReadFully(buffer, chunk);
        // A source that runs dry would otherwise leave the record shorter than its count and
        // shift every following record; the caller promised Count bytes, so that is a fault.
        if (got != chunk)
            throw EStreamError("TTagStreamAdapter.WriteStream: source ended early");
        Stream.WriteBuffer(buffer, chunk);
        count -= chunk;
    }
}

bool TTagStreamAdapter::ReadTag() {
    uint8_t header[5];
    if (Stream.ReadFully(header, 5) != 5) {
        StreamEnded = true;
        return false;
    }
    Tag = static_cast<int32_t>(GetLE32(header));
    TagType = header[4];
    return Tag != format::TagEnd;
}

void TTagStreamAdapter::SkipValue() {
    // A list is skipped by counting the levels it opens and closes rather than by recursing:
    // a package is untrusted input, and nesting as deep as it likes must not exhaust the stack.
    // Skipping a list consumes its end record as well, so the enclosing loop goes on with the
    // next record of its own level.
    int64_t depth = 0;
    do {
        if (TagType == format::ttList)
            ++depth;
        else
            SkipScalar();
        while (depth > 0 && !ReadTag()) {
            if (StreamEnded)
                return;
            --depth;
        }
    } while (depth > 0);
}

void TTagStreamAdapter::SkipScalar() {
    switch (TagType) {
    case format::ttByte:
    case format::ttByte2:
        SkipBytes(1);
        return;
    case format::ttWord:
        SkipBytes(2);
        return;
    case format::ttInteger:
    case format::ttDword:
        SkipBytes(4);
        return;
    case format::ttQword:
        SkipBytes(8);
        return;
    case format::ttString:
    case format::ttData: {
        const int64_t count = ReadCount();
        if (count > 0)
            SkipBytes(count);
        return;
    }
    default:
        return; // types 9 to 255 carry no value
    }
}

void TTagStreamAdapter::SkipBytes(int64_t count) {
    // Never past the end: a seek beyond it would make later reads of a file stream silently
    // return nothing while the position claims otherwise.
    const int64_t remaining = Stream.Remaining();
    Stream.Seek(count < remaining ? count : remaining, TSeekOrigin::Current);
}

uint8_t TTagStreamAdapter::ReadByte() {
    uint8_t value = 0;
    Stream.ReadFully(&value, 1);
    return value;
}

int32_t TTagStreamAdapter::ReadInteger() {
    return static_cast<int32_t>(ReadLE32(Stream));
}

int64_t TTagStreamAdapter::ReadCount() {
    uint8_t bytes[4];
    if (Stream.ReadFully(bytes, 4) != 4)
        return 0;
    const int64_t count = static_cast<int32_t>(GetLE32(bytes));
    if (count < 0 || count > Stream.Remaining()) {
        Stream.Seek(0, TSeekOrigin::End);
        return -1;
    }
    return count;
}

namespace {

// Reads Count bytes that a record claims; fewer when the stream ends. The count has been checked
// against the stream's size, but a large file can still claim more than memory holds.
template <typename TBuffer>
TBuffer ReadClaimed(TStream& stream, int64_t count) {
    TBuffer value;
    try {
        value.resize(static_cast<size_t>(count));
    } catch (const std::exception&) { // bad_alloc or length_error
        throw EDamagedData("a record claims " + std::to_string(count) + " bytes");
    }
    value.resize(static_cast<size_t>(stream.ReadFully(value.data(), count)));
    return value;
}

} // namespace

std::string TTagStreamAdapter::ReadString() {
    const int64_t count = ReadCount();
    if (count <= 0)
        return {};
    return ReadClaimed<std::string>(Stream, count);
}

std::vector<uint8_t> TTagStreamAdapter::ReadBytes(int64_t count) {
    return ReadClaimed<std::vector<uint8_t>>(Stream, count);
}

} // namespace ko
