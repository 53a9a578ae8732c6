#include "package/records_digest.h"

#include "package/format.h"

#include <algorithm>
#include <cstring>

namespace ko {

namespace {

// A package's records are mostly a few KB; this is as much as the file stream reads ahead.
constexpr size_t BufferSize = 64 * 1024;

} // namespace

TDigest RecordsDigest(const std::vector<uint8_t>& records, size_t valueAt) {
    TSha256 sha;
    sha.Update(records.data(), valueAt);
    const size_t after = valueAt + format::DigestSize;
    sha.Update(records.data() + after, records.size() - after);
    return sha.Finish();
}

TRecordsDigestReader::TRecordsDigestReader(TStream& source)
    : FSource(source), FStart(source.Position()) {}

void TRecordsDigestReader::DigestPassed() {
    if (FPos > FDigested)
        FSha.Update(FBuffer.data() + FDigested, FPos - FDigested);
    FDigested = FPos;
}

int64_t TRecordsDigestReader::Take(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        if (FPos == FBuffer.size()) {
            if (!FExcluding)
                DigestPassed();
            FStart += int64_t(FBuffer.size());
            FBuffer.resize(BufferSize);
            FBuffer.resize(size_t(FSource.ReadFully(FBuffer.data(), BufferSize)));
            FPos = FDigested = 0;
            if (FBuffer.empty())
                break;
        }
        const size_t n = size_t(std::min<int64_t>(count - done, int64_t(FBuffer.size() - FPos)));
        if (out)
            std::memcpy(out + done, FBuffer.data() + FPos, n);
        FPos += n;
        done += int64_t(n);
    }
    return done;
}

int64_t TRecordsDigestReader::Read(void* buffer, int64_t count) {
    return Take(buffer, count);
}

int64_t TRecordsDigestReader::ReadExcluded(void* buffer, int64_t count) {
    DigestPassed();
    FExcluding = true;
    const int64_t done = Take(buffer, count);
    FExcluding = false;
    FDigested = FPos;
    return done;
}

int64_t TRecordsDigestReader::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t position = FStart + int64_t(FPos);
    const int64_t target = origin == TSeekOrigin::Beginning ? offset
                           : origin == TSeekOrigin::Current ? position + offset
                                                            : -1;
    if (target >= position) {
        Take(nullptr, target - position);
        return FStart + int64_t(FPos);
    }
    FSpoiled = true;
    FBuffer.clear();
    FPos = FDigested = 0;
    FStart = FSource.Seek(origin == TSeekOrigin::End ? offset : target,
                          origin == TSeekOrigin::End ? TSeekOrigin::End : TSeekOrigin::Beginning);
    return FStart;
}

std::optional<TDigest> TRecordsDigestReader::Finish() {
    DigestPassed();
    TDigest digest = FSha.Finish();
    if (FSpoiled)
        return std::nullopt;
    return digest;
}

} // namespace ko
