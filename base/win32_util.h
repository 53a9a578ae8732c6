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

} // namespace ko
