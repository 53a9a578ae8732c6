// Byte streams: the abstract TStream, a memory stream, and the little-endian helpers through
// which every stored number is read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ko {

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Read and Write transfer at most Count bytes and return how many they did; a return below
    // Count at a read means the end of the data. Errors of the medium throw EStreamError.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
    // Bytes between the position and the end, never negative.
    int64_t Remaining();

    // Reads until Count bytes came or the data ended; returns the number read.
    int64_t ReadFully(void* buffer, int64_t count);
    // Throws EStreamError unless exactly Count bytes were transferred.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies Count bytes from Source's position through a bounded buffer; throws when Source
    // ends early.
    void CopyFrom(TStream& source, int64_t count);
};

// A growable stream in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> data) : FData(std::move(data)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

    const std::vector<uint8_t>& Data() const { return FData; }
    std::vector<uint8_t>& Data() { return FData; }
    void Clear();

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// Little-endian numbers in buffers and streams. Stream readers return 0 for bytes the stream
// did not deliver, so a cut-off field reads as zero rather than as leftover memory.
uint32_t GetLE32(const uint8_t* p);
void PutLE32(uint8_t* p, uint32_t value);
uint16_t GetLE16(const uint8_t* p);
void PutLE16(uint8_t* p, uint16_t value);

uint32_t ReadLE32(TStream& stream);
void WriteLE32(TStream& stream, uint32_t value);

} // namespace ko
