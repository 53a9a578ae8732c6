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

// Reads Source on from its position, through a buffer of its own, and digests every byte it
// passes on, a buffer at a time: the loader reads a few bytes per call, and a digest updated per
// call would cost the first window more than the reading does. A forward seek (a skipped record)
// passes over bytes that are digested all the same; any other (to the end, where a record claims
// more than there is, or back) spoils the digest. Source must not be used meanwhile; Release
// puts its position where this stream's is.
class TRecordsDigestReader : public TStream {
public:
    explicit TRecordsDigestReader(TStream& source);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSource.Size(); }

    // Digests bytes that were read before this stream took over (the magic).
    void Digest(const void* data, size_t size) { FSha.Update(data, size); }
    // Reads up to Count bytes that the digest leaves out (the digest record's own value).
    int64_t ReadExcluded(void* buffer, int64_t count);
    // The digest of what was read; nothing when a seek spoiled it. The object is then spent.
    std::optional<TDigest> Finish();
    // Moves Source to this stream's position.
    void Release() { FSource.SetPosition(FStart + int64_t(FPos)); }

private:
    // Moves up to Count bytes on, into Buffer unless it is null; returns how many.
    int64_t Take(void* buffer, int64_t count);
    // Digests what was passed on and not yet digested.
    void DigestPassed();

    TStream& FSource;
    TSha256 FSha;
    std::vector<uint8_t> FBuffer;
    int64_t FStart;          // Source's position of FBuffer's first byte
    size_t FPos = 0;         // the next byte to pass on
    size_t FDigested = 0;    // the bytes before it are digested or left out
    bool FExcluding = false; // what Take passes on is left out
    bool FSpoiled = false;
};

} // namespace ko
