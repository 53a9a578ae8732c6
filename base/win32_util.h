// Small Windows helpers shared by the stub's layers and the Windows builder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ko {

// The system's text for an error code (GetLastError or an HRESULT), without the line end.
std::string SystemMessage(DWORD code);

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
