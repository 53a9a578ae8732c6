#include "engine/stored_data.h"

#include "base/win32_util.h"
#include "engine/threaded_digest.h"

#include <windows.h>

#include <exception>

namespace ko {

namespace {

// From this size on a stored file streams to its file, its digest taken on a thread of its own
// chunk by chunk; below it, the file is deciphered in memory.
constexpr int64_t StreamedSize = int64_t(8) << 20;

[[noreturn]] void Damaged(const std::string& target) {
    throw EDamagedInstaller::StoredFile(target);
}

// Set after the last write, so that writing does not move the last-write time again.
bool SetStoredTimes(TFileStream& output, const TStoredItem& data) {
    const FILETIME creation = ToFileTime(data.CreationTime);
    const FILETIME lastWrite = ToFileTime(data.LastWriteTime);
    return SetFileTime(reinterpret_cast<HANDLE>(output.Handle()), &creation, &lastWrite,
                       &lastWrite);
}

bool StreamStoredData(TStream& package, const TStoredItem& data, const uint8_t* key,
                      TFileStream& output, const std::string& target) {
    if (!data.HasDigest) {
        DecipherStored(package, data, key, output);
    } else {
        TThreadedSha256Stream digesting(output);
        DecipherStored(package, data, key, digesting);
        if (digesting.Finish() != data.Digest)
            Damaged(target);
    }
    return SetStoredTimes(output, data);
}

} // namespace

TStoredWrite TStoredDataWriter::Write(TFileTransaction& transaction, TStream& package,
                                      const TStoredItem& data, const uint8_t* key,
                                      const std::string& target, THeldTarget held) {
    bool timesSet = true;
    bool written = false;
    if (!data.HasDigest || data.Size >= StreamedSize) {
        written = transaction.WriteStream(
            target,
            [&](TFileStream& output) {
                timesSet = StreamStoredData(package, data, key, output, target);
            },
            held);
    } else {
        // The last file's digest may still be being taken from the buffer.
        FWorker.Wait();
        // Whatever goes wrong here is raised where the streamed write would raise it: after the
        // transaction has found the target writable, so that a held target is still skipped.
        std::exception_ptr failed;
        int64_t length = 0;
        try {
            length = DecipherStoredToMemory(package, data, key, FBuffer);
            FWorker.Start(FBuffer.data(), static_cast<size_t>(length));
        } catch (...) {
            failed = std::current_exception();
        }
        written = transaction.WriteStream(
            target,
            [&](TFileStream& output) {
                if (failed)
                    std::rethrow_exception(failed);
                output.WriteBuffer(FBuffer.data(), length);
                timesSet = SetStoredTimes(output, data);
                if (FWorker.Wait() != data.Digest)
                    Damaged(target);
            },
            held);
    }
    if (!written)
        return TStoredWrite::Skipped;
    return timesSet ? TStoredWrite::Written : TStoredWrite::TimesNotSet;
}

} // namespace ko
