#include "engine/stored_data.h"

#include "base/win32_util.h"
#include "engine/threaded_digest.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/sub_stream.h"

#include <windows.h>

#include <exception>

namespace ko {

namespace {

// From this size on a stored file streams to its file, its digest taken on a thread of its own
// chunk by chunk; below it, the file is deciphered in memory.
constexpr int64_t StreamedSize = int64_t(8) << 20;

[[noreturn]] void Damaged(const std::string& target) {
    throw EDamagedInstaller("The installer is damaged: the data of \"" + target +
                            "\" does not match its checksum. Please download the installer "
                            "again.");
}

// Set after the last write, so that writing does not move the last-write time again.
bool SetStoredTimes(TFileStream& output, const TStoredData& data) {
    const FILETIME creation = ToFileTime(data.CreationTime);
    const FILETIME lastWrite = ToFileTime(data.LastWriteTime);
    return SetFileTime(reinterpret_cast<HANDLE>(output.Handle()), &creation, &lastWrite,
                       &lastWrite);
}

// The last byte of the stored data in the package.
int64_t StoredEnd(const TStoredData& data) {
    return int64_t(data.Offset) + data.Size - 1;
}

bool StreamStoredData(TStream& package, const TStoredData& data, const uint8_t* key,
                      TFileStream& output, const std::string& target) {
    TSubStream window(package, data.Offset, StoredEnd(data));
    window.SetPosition(0);
    if (!data.Digest) {
        CipherStream(window, output, key, format::KeySize, false);
    } else {
        TThreadedSha256Stream digesting(output);
        CipherStream(window, digesting, key, format::KeySize, false);
        if (digesting.Finish() != *data.Digest)
            Damaged(target);
    }
    return SetStoredTimes(output, data);
}

} // namespace

TStoredWrite TStoredDataWriter::Write(TFileTransaction& transaction, TStream& package,
                                      const TStoredData& data, const uint8_t* key,
                                      const std::string& target, THeldTarget held) {
    bool timesSet = true;
    bool written = false;
    if (!data.Digest || data.Size >= StreamedSize) {
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
            TSubStream window(package, data.Offset, StoredEnd(data));
            window.SetPosition(0);
            length = DecipherToMemory(window, FBuffer, key, format::KeySize);
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
                if (FWorker.Wait() != *data.Digest)
                    Damaged(target);
            },
            held);
    }
    if (!written)
        return TStoredWrite::Skipped;
    return timesSet ? TStoredWrite::Written : TStoredWrite::TimesNotSet;
}

} // namespace ko
