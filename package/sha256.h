// SHA-256 of stored file content: the builder records it, the stub and the inspecting commands
// check it. TSha256Stream computes it on the way to the file, in the same pass as the decipher.
#pragma once

#include "base/stream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ko {

using TDigest = std::array<uint8_t, 32>;

class TSha256 {
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256&) = delete;
    TSha256& operator=(const TSha256&) = delete;

    void Update(const void* data, size_t size);
    void Update(const std::string& text) { Update(text.data(), text.size()); }
    // The digest of everything passed to Update; the object is then spent.
    TDigest Finish();

    // The routine in use ("sha-ni", "portable" or "libcrypto"), for benchmarks and tests.
    static const char* Implementation();

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// Passes writes through to Output and digests the bytes that Output took.
class TSha256Stream : public TStream {
public:
    explicit TSha256Stream(TStream& output) : FOutput(output) {}

    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t written = FOutput.Write(buffer, count);
        if (written > 0)
            FSha.Update(buffer, static_cast<size_t>(written));
        return written;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return FOutput.Seek(offset, origin);
    }
    TDigest Finish() { return FSha.Finish(); }

private:
    TStream& FOutput;
    TSha256 FSha;
};

} // namespace ko
