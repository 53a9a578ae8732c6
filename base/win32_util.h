// Small Windows helpers shared by the stub's layers and the Windows builder. Inside the program
// every path and text is UTF-8 in a std::string; Windows gets and gives UTF-16 through its wide
// ("W") functions, and Wide and Utf8 convert at that boundary (with base/utf16.h). No text goes
// through the 8-bit "A" functions, which would squeeze it into the system's ANSI code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ko {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A NUL-terminated text that Windows filled in (a buffer of a fixed size).
inline std::string Utf8(const wchar_t* wide) {
    return Utf8(std::wstring_view(wide));
}
// A UTF-16 text as it is handed to a wide function: wchar_t is a UTF-16 unit on Windows.
inline const wchar_t* WideChars(std::u16string_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");
    return reinterpret_cast<const wchar_t*>(text.data());
}

// Bytes in a code page the system knows (CP_ACP: its own ANSI code page) as UTF-8; nothing when
// the system does not know the code page.
std::optional<std::string> SystemDecode(std::string_view bytes, UINT codePage);
// UTF-8 as bytes of such a code page; nothing when the system does not know it or a character
// has no byte there (the system would write a look-alike: "L" for "Ł", which names another file).
std::optional<std::string> SystemEncode(std::string_view utf8, UINT codePage);

// The user's interface language as a tag ("de-DE", "zh-TW"); empty when the system cannot name it.
std::string UserLanguageTag();

// The system's text for an error code (GetLastError or an HRESULT), without the line end.
std::string SystemMessage(DWORD code);
// What + " \"" + Path + "\". " + SystemMessage(Code): the message of a file operation that
// failed, built in one place rather than at every call.
std::string FileError(const char* what, const std::string& path, DWORD code);

// The error code says that a file or a folder on its way is not there.
inline bool NotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Fills Buffer from the system's cryptographic random source; false when it fails. From
// advapi32, which every program loads from the system folder, rather than bcrypt, which is
// not one of the system's known DLLs and would be looked for beside the program.
bool SystemRandom(void* buffer, size_t count);
// Count random bytes (SystemRandom) in lower-case hexadecimal, for names nobody can guess; ""
// when the system gives none.
std::string RandomHex(size_t count);

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
