// The digest of a large file on a thread of its own. Hashing costs about as much as deciphering
// and writing together; beside them on a second processor it costs no time of the run's own.
#pragma once

#include "package/sha256.h"

#include <cstdint>
#include <vector>

namespace ko {

// Passes writes through to Output, as TSha256Stream does, and digests the bytes Output took on
// a worker thread: each write is copied into one of two buffers that the worker digests in
// order, while the caller goes on with the next chunk. Meant for large files, where the thread
// pays for itself.
class TThreadedSha256Stream : public TStream {
public:
    explicit TThreadedSha256Stream(TStream& output);
    ~TThreadedSha256Stream() override;
    TThreadedSha256Stream(const TThreadedSha256Stream&) = delete;
    TThreadedSha256Stream& operator=(const TThreadedSha256Stream&) = delete;

    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return FOutput.Seek(offset, origin);
    }
    // Waits for the worker and returns the digest of everything written.
    TDigest Finish();

private:
    static unsigned long __stdcall Main(void* self);
    // Waits until the worker has digested everything handed to it, then lets it end.
    void Stop();

    TStream& FOutput;
    TSha256 FSha;
    std::vector<uint8_t> FBuffers[2];
    size_t FFilled[2] = {0, 0};
    int FNext = 0;
    void* FFree = nullptr; // semaphore: buffers the caller may fill
    void* FFull = nullptr; // semaphore: buffers the worker is to digest; one more ends it
    void* FThread = nullptr;
    bool FStopping = false;
};

} // namespace ko
