// TSubStream presents the byte range StartPos..EndPos (inclusive) of another stream as a stream
// of its own. It has no position of its own: moving either stream moves the other.
#pragma once

#include "base/stream.h"

namespace ko {

class TSubStream : public TStream {
public:
    // Moves Source into the range when it stands outside it.
    TSubStream(TStream& source, int64_t startPos, int64_t endPos);
    TSubStream(const TSubStream&) = delete;
    TSubStream& operator=(const TSubStream&) = delete;

    void SetRange(int64_t startPos, int64_t endPos);

    // Read and Write never reach past EndPos; at or beyond it they transfer nothing.
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Throws EKoError "Seek out of range" for a position before the window (Source has moved
    // by then). Seeking from the end counts from the last byte.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FEndPos - FStartPos + 1; }

private:
    int64_t Limit(int64_t count);

    TStream& FSource;
    int64_t FStartPos = 0;
    int64_t FEndPos = -1;
};

} // namespace ko
