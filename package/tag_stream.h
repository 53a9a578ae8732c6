// TTagStreamAdapter reads and writes the tag-stream record format over a stream it does not
// own. It knows nothing of what the ids mean.
#pragma once

#include "base/stream.h"

#include "base/errors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ko {

// A record claims more bytes than memory can hold: the data is damaged.
class EDamagedData : public EKoError {
public:
    using EKoError::EKoError;
};

class TTagStreamAdapter {
public:
    explicit TTagStreamAdapter(TStream& stream) : Stream(stream) {}

    void WriteMagic(uint32_t value);
    // True only when four bytes came and they equal Expected.
    bool ReadMagic(uint32_t expected);

    void WriteTag(int32_t tag, uint8_t type);
    void WriteByte(int32_t tag, uint8_t value);
    void WriteInteger(int32_t tag, int32_t value);
    void WriteString(int32_t tag, const std::string& value);
    // Copies Count bytes from Source's position through a 4096-byte buffer.
    void WriteStream(int32_t tag, TStream& source, int64_t count);

    // Reads a record header into Tag and TagType. False at an end record (Tag is then -1) or
    // at the end of the stream (StreamEnded is then set).
    bool ReadTag();
    // Skips the value of the record that ReadTag read last, a whole nested list included, at
    // any depth of nesting.
    void SkipValue();

    // The typed readers return zero or an empty string for bytes the stream cut off.
    uint8_t ReadByte();
    int32_t ReadInteger();
    // Throws EDamagedData when memory cannot hold what the count claims.
    std::string ReadString();
    // Count bytes of a value whose count ReadCount has checked; fewer when the stream ends.
    // Throws EDamagedData when memory cannot hold them.
    std::vector<uint8_t> ReadBytes(int64_t count);

    // Reads the 32-bit count of a string or data value and checks it against what the stream
    // holds. A negative count or one running past the end cannot come from a conforming writer:
    // the stream is moved to its end, so that every enclosing level ends too, and -1 is returned.
    int64_t ReadCount();

    TStream& Stream;
    uint8_t TagType = 0;
    int32_t Tag = 0;
    // Set once a header could not be read whole: every level has ended.
    bool StreamEnded = false;

private:
    void SkipScalar();
    void SkipBytes(int64_t count);
};

} // namespace ko
