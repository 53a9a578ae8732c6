#include "package/sub_stream.h"

#include "base/errors.h"

namespace ko {

TSubStream::TSubStream(TStream& source, int64_t startPos, int64_t endPos, bool ownsSource)
    : Source(source), OwnsSource(ownsSource) {
    SetRange(startPos, endPos);
}

TSubStream::~TSubStream() {
    if (OwnsSource)
        delete &Source;
}

void TSubStream::SetRange(int64_t startPos, int64_t endPos) {
    StartPos = startPos;
    EndPos = endPos;
    const int64_t position = Source.Position();
    if (position < StartPos)
        Source.Seek(StartPos, TSeekOrigin::Beginning);
    else if (position > EndPos)
        Source.Seek(EndPos, TSeekOrigin::Beginning);
}

int64_t TSubStream::Limit(int64_t count) {
    const int64_t left = EndPos - Source.Position() + 1;
    // Beyond the end the count would turn negative; such a position transfers nothing.
    if (left <= 0 || count <= 0)
        return 0;
    return count < left ? count : left;
}

int64_t TSubStream::Read(void* buffer, int64_t count) {
    count = Limit(count);
    return count == 0 ? 0 : Source.Read(buffer, count);
}

int64_t TSubStream::Write(const void* buffer, int64_t count) {
    count = Limit(count);
    return count == 0 ? 0 : Source.Write(buffer, count);
}

int64_t TSubStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t position;
    switch (origin) {
    case TSeekOrigin::Beginning:
        position = Source.Seek(StartPos + offset, TSeekOrigin::Beginning);
        break;
    case TSeekOrigin::Current:
        position = Source.Seek(offset, TSeekOrigin::Current);
        break;
    case TSeekOrigin::End:
        position = Source.Seek(EndPos + offset, TSeekOrigin::Beginning);
        break;
    default:
        return 0;
    }
    const int64_t result = position - StartPos;
    if (result < 0)
        throw EKoError("Seek out of range");
    return result;
}

} // namespace ko
