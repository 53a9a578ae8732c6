#include "base/stream.h"

#include "base/errors.h"

#include <algorithm>
#include <cstring>

namespace ko {

int64_t TStream::Size() {
    const int64_t position = Position();
    const int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

int64_t TStream::Remaining() {
    return std::max<int64_t>(0, Size() - Position());
}

int64_t TStream::ReadFully(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = Read(out + done, count - done);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (ReadFully(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = Write(in + done, count - done);
        if (n <= 0)
            throw EStreamError("Stream write error");
        done += n;
    }
}

void TStream::CopyFrom(TStream& source, int64_t count) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 64 * 1024)));
    while (count > 0) {
        const int64_t chunk = std::min<int64_t>(count, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        count -= chunk;
    }
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t available = static_cast<int64_t>(FData.size()) - FPosition;
    if (count <= 0 || available <= 0)
        return 0;
    const int64_t n = std::min(count, available);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const int64_t end = FPosition + count;
    if (end > static_cast<int64_t>(FData.size()))
        FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::Current)
        base = FPosition;
    else if (origin == TSeekOrigin::End)
        base = static_cast<int64_t>(FData.size());
    const int64_t target = base + offset;
    if (target < 0)
        throw EStreamError("TMemoryStream.Seek: Seek out of range");
    FPosition = target;
    return FPosition;
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

uint32_t GetLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLE32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

uint16_t GetLE16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

void PutLE16(uint8_t* p, uint16_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

uint32_t ReadLE32(TStream& stream) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    stream.ReadFully(bytes, 4);
    return GetLE32(bytes);
}

void WriteLE32(TStream& stream, uint32_t value) {
    uint8_t bytes[4];
    PutLE32(bytes, value);
    stream.WriteBuffer(bytes, 4);
}

} // namespace ko
