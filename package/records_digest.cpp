#include "package/records_digest.h"

#include "package/format.h"

#include <algorithm>

namespace ko {

TDigest RecordsDigest(const std::vector<uint8_t>& records, size_t valueAt) {
    TSha256 sha;
    sha.Update(records.data(), valueAt);
    const size_t after = valueAt + format::DigestSize;
    sha.Update(records.data() + after, records.size() - after);
    return sha.Finish();
}

int64_t TRecordsDigestReader::Read(void* buffer, int64_t count) {
    const int64_t n = FSource.Read(buffer, count);
    if (n > 0)
        FSha.Update(buffer, static_cast<size_t>(n));
    return n;
}

int64_t TRecordsDigestReader::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t position = FSource.Position();
    if (origin == TSeekOrigin::Current && offset == 0)
        return position;
    const int64_t target = origin == TSeekOrigin::Beginning ? offset
                           : origin == TSeekOrigin::Current ? position + offset
                                                            : -1;
    if (target < position) {
        FSpoiled = true;
        return FSource.Seek(offset, origin);
    }
    uint8_t buffer[4096];
    for (int64_t left = target - position; left > 0;) {
        const int64_t n = Read(buffer, std::min<int64_t>(left, sizeof buffer));
        if (n <= 0)
            break;
        left -= n;
    }
    return FSource.Position();
}

std::optional<TDigest> TRecordsDigestReader::Finish() {
    TDigest digest = FSha.Finish();
    if (FSpoiled)
        return std::nullopt;
    return digest;
}

} // namespace ko
