#include "engine/digest_worker.h"

#include "base/errors.h"
#include "base/win32_util.h"

namespace ko {

TDigestWorker::TDigestWorker() = default;

TDigestWorker::~TDigestWorker() {
    if (!FThread)
        return;
    AcquireSRWLockExclusive(&FLock);
    FStopping = true;
    WakeAllConditionVariable(&FChanged);
    ReleaseSRWLockExclusive(&FLock);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
}

unsigned long __stdcall TDigestWorker::Main(void* parameter) {
    auto& self = *static_cast<TDigestWorker*>(parameter);
    AcquireSRWLockExclusive(&self.FLock);
    for (;;) {
        while (!self.FBusy && !self.FStopping)
            SleepConditionVariableSRW(&self.FChanged, &self.FLock, INFINITE, 0);
        if (self.FStopping && !self.FBusy)
            break;
        const uint8_t* data = self.FData;
        const size_t size = self.FSize;
        ReleaseSRWLockExclusive(&self.FLock);
        TSha256 sha;
        sha.Update(data, size);
        const TDigest digest = sha.Finish();
        AcquireSRWLockExclusive(&self.FLock);
        self.FDigest = digest;
        self.FBusy = false;
        WakeAllConditionVariable(&self.FChanged);
    }
    ReleaseSRWLockExclusive(&self.FLock);
    return 0;
}

void TDigestWorker::WaitIdle() {
    while (FBusy)
        SleepConditionVariableSRW(&FChanged, &FLock, INFINITE, 0);
}

void TDigestWorker::Start(const uint8_t* data, size_t size) {
    if (!FThread) {
        FThread = CreateThread(nullptr, 0, Main, this, 0, nullptr);
        if (!FThread)
            throw EKoError("Cannot start a thread. " + SystemMessage(GetLastError()));
    }
    AcquireSRWLockExclusive(&FLock);
    WaitIdle();
    FData = data;
    FSize = size;
    FBusy = true;
    WakeAllConditionVariable(&FChanged);
    ReleaseSRWLockExclusive(&FLock);
}

TDigest TDigestWorker::Wait() {
    AcquireSRWLockExclusive(&FLock);
    WaitIdle();
    const TDigest digest = FDigest;
    ReleaseSRWLockExclusive(&FLock);
    return digest;
}

} // namespace ko
