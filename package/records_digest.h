// The digest of a package's records (ptRecordsDigest in format.h), taken by the writer over the
// records it holds in memory and by the loader on the way, over the bytes it reads anyway.
#pragma once

#include "base/stream.h"
#include "package/sha256.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ko {

// The digest of Records (the magic to the end record) without the DigestSize bytes at
// ValueAt, where the digest record keeps its value.
TDigest RecordsDigest(const std::vector<uint8_t>& records, size_t valueAt);

// Reads on from Source's position and digests every byte it passes on. A forward seek (a
// skipped record) reads and digests the bytes it passes over, so that a digest covers skipped
// records too; any other seek (to the end, where a record claims more than there is, or back)
// spoils it. Source must not be read past this stream meanwhile.
class TRecordsDigestReader : public TStream {
public:
    explicit TRecordsDigestReader(TStream& source) : FSource(source) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSource.Size(); }

    // Digests bytes that were read before this stream took over (the magic).
    void Digest(const void* data, size_t size) { FSha.Update(data, size); }
    // Reads up to Count bytes that the digest leaves out (the digest record's own value).
    int64_t ReadExcluded(void* buffer, int64_t count) { return FSource.ReadFully(buffer, count); }
    // The digest of what was read; nothing when a seek spoiled it. The object is then spent.
    std::optional<TDigest> Finish();

private:
    TStream& FSource;
    TSha256 FSha;
    bool FSpoiled = false;
};

} // namespace ko
