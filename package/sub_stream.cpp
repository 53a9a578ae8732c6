#include "package/sub_stream.h"

#include "base/errors.h"

namespace ko {

TSubStream::TSubStream(TStream& source, int64_t startPos, int64_t endPos) : FSource(source) {
    SetRange(startPos, endPos);
}

void TSubStream::SetRange(int64_t startPos, int64_t endPos) {
    FStartPos = startPos;
    FEndPos = endPos;
    const int64_t position = FSource.Position();
    if (position < FStartPos)
        FSource.Seek(FStartPos, TSeekOrigin::Beginning);
    else if (position > FEndPos)
        FSource.Seek(FEndPos, TSeekOrigin::Beginning);
}

int64_t TSubStream::Limit(int64_t count) {
    const int64_t left = FEndPos - FSource.Position() + 1;
    // Beyond the end the count would turn negative; such a position transfers nothing.
    if (left <= 0 || count <= 0)
        return 0;
    return count < left ? count : left;
}

int64_t TSubStream::Read(void* buffer, int64_t count) {
    count = Limit(count);
    return count == 0 ? 0 : FSource.Read(buffer, count);
}

int64_t TSubStream::Write(const void* buffer, int64_t count) {
    count = Limit(count);
    return count == 0 ? 0 : FSource.Write(buffer, count);
}

int64_t TSubStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t position;
    switch (origin) {
    case TSeekOrigin::Beginning:
        position = FSource.Seek(FStartPos + offset, TSeekOrigin::Beginning);
        break;
    case TSeekOrigin::Current:
        position = FSource.Seek(offset, TSeekOrigin::Current);
        break;
    case TSeekOrigin::End:
        position = FSource.Seek(FEndPos + offset, TSeekOrigin::Beginning);
        break;
    default:
        return 0;
    }
    const int64_t result = position - FStartPos;
    if (result < 0)
        throw EKoError("Seek out of range");
    return result;
}

} // namespace ko
