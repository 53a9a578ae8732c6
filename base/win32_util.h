// Small Windows helpers shared by the stub's layers and the Windows builder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ko {

// The system's text for an error code (GetLastError or an HRESULT), without the line end.
std::string SystemMessage(DWORD code);

// Fills Buffer from the system's cryptographic random source; false when it fails. From
// advapi32, which every program loads from the system folder, rather than bcrypt, which is
// not one of the system's known DLLs and would be looked for beside the program.
bool SystemRandom(void* buffer, size_t count);

inline FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

inline uint64_t FromFileTime(const FILETIME& time) {
    return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// A critical section for data that two threads share, and the lock that holds it for a scope.
class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&FSection); }
    ~TCriticalSection() { DeleteCriticalSection(&FSection); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&FSection); }
    void Leave() { LeaveCriticalSection(&FSection); }

private:
    CRITICAL_SECTION FSection;
};

class TLock {
public:
    explicit TLock(TCriticalSection& section) : FSection(section) { FSection.Enter(); }
    ~TLock() { FSection.Leave(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

private:
    TCriticalSection& FSection;
};

} // namespace ko
