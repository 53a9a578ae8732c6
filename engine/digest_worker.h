// A thread that digests one piece of memory at a time while its caller does other work. A small
// file's digest costs about as much as deciphering and writing it; taken while the file is being
// created and written, it costs the run no time of its own.
#pragma once

#include "package/sha256.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace ko {

class TDigestWorker {
public:
    TDigestWorker();
    ~TDigestWorker();
    TDigestWorker(const TDigestWorker&) = delete;
    TDigestWorker& operator=(const TDigestWorker&) = delete;

    // Starts digesting Size bytes at Data, which must stay as they are until Wait returns or
    // the next Start. A digest still being taken is waited for and dropped first. The thread is
    // made at the first call, so a run without digests never has one.
    void Start(const uint8_t* data, size_t size);
    // Waits for the digest Start asked for.
    TDigest Wait();

private:
    static unsigned long __stdcall Main(void* self);
    void WaitIdle();

    // A lock and condition variable rather than events: these wait in the process, where every
    // signal of an event under Wine is a round trip to its server, twice per file.
    SRWLOCK FLock = SRWLOCK_INIT;
    CONDITION_VARIABLE FChanged = CONDITION_VARIABLE_INIT;
    const uint8_t* FData = nullptr;
    size_t FSize = 0;
    bool FBusy = false;
    bool FStopping = false;
    TDigest FDigest = {};
    HANDLE FThread = nullptr;
};

} // namespace ko
