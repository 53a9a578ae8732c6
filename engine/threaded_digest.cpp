#include "engine/threaded_digest.h"

#include "base/errors.h"
#include "base/win32_util.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace ko {

namespace {

// As large as the decipher's chunks, so that each of its writes is one buffer.
constexpr size_t BufferSize = size_t(1) << 20;

} // namespace

TThreadedSha256Stream::TThreadedSha256Stream(TStream& output) : FOutput(output) {
    FFree = CreateSemaphoreW(nullptr, 2, 2, nullptr);
    FFull = CreateSemaphoreW(nullptr, 0, 3, nullptr);
    if (FFree && FFull)
        FThread = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    if (!FThread) {
        if (FFree)
            CloseHandle(FFree);
        if (FFull)
            CloseHandle(FFull);
        throw EKoError("Cannot start a thread. " + SystemMessage(GetLastError()));
    }
    FBuffers[0].resize(BufferSize);
    FBuffers[1].resize(BufferSize);
}

TThreadedSha256Stream::~TThreadedSha256Stream() {
    Stop();
    CloseHandle(FFree);
    CloseHandle(FFull);
}

unsigned long __stdcall TThreadedSha256Stream::Main(void* parameter) {
    auto& self = *static_cast<TThreadedSha256Stream*>(parameter);
    for (int next = 0;; next ^= 1) {
        WaitForSingleObject(self.FFull, INFINITE);
        if (self.FStopping)
            return 0;
        self.FSha.Update(self.FBuffers[next].data(), self.FFilled[next]);
        ReleaseSemaphore(self.FFree, 1, nullptr);
    }
}

int64_t TThreadedSha256Stream::Write(const void* buffer, int64_t count) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        WaitForSingleObject(FFree, INFINITE);
        const size_t piece = static_cast<size_t>(std::min<int64_t>(count - done, BufferSize));
        std::memcpy(FBuffers[FNext].data(), bytes + done, piece);
        int64_t written = 0;
        try {
            written = FOutput.Write(bytes + done, static_cast<int64_t>(piece));
        } catch (...) {
            ReleaseSemaphore(FFree, 1, nullptr);
            throw;
        }
        // Only what Output took counts, as in TSha256Stream.
        FFilled[FNext] = written > 0 ? static_cast<size_t>(written) : 0;
        ReleaseSemaphore(FFull, 1, nullptr);
        FNext ^= 1;
        if (written <= 0)
            break;
        done += written;
        if (static_cast<size_t>(written) < piece)
            break;
    }
    return done;
}

void TThreadedSha256Stream::Stop() {
    if (!FThread)
        return;
    // Both buffers free again: the worker has digested everything handed to it.
    WaitForSingleObject(FFree, INFINITE);
    WaitForSingleObject(FFree, INFINITE);
    FStopping = true;
    ReleaseSemaphore(FFull, 1, nullptr);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
    FThread = nullptr;
}

TDigest TThreadedSha256Stream::Finish() {
    Stop();
    return FSha.Finish();
}

} // namespace ko
