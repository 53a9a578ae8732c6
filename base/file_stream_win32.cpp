#include "base/errors.h"
#include "base/file_stream.h"
#include "base/win32_util.h"

#include <windows.h>

namespace ko {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) : FFileName(path) {
    DWORD access = GENERIC_READ;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if (mode == TFileMode::OpenReadLocked) {
        share = FILE_SHARE_READ;
    } else if (mode == TFileMode::OpenReadWrite) {
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
    } else if (mode == TFileMode::Create || mode == TFileMode::CreateRenamable) {
        access = GENERIC_READ | GENERIC_WRITE | (mode == TFileMode::CreateRenamable ? DELETE : 0);
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
    } else if (mode == TFileMode::Append) {
        // Without write access but with append access every write goes to the end.
        access = FILE_APPEND_DATA;
        share = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
    } else if (mode == TFileMode::CreateNew) {
        // Deletable while open, so that a console interrupt can remove a file being written.
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ | FILE_SHARE_DELETE;
        disposition = CREATE_NEW;
    }
    const std::wstring name = Wide(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Most files written are new. Wine truncates a file opened to be replaced even when it has
    // just created it, and ext4 writes a truncated file out to disk when it is closed: asking for
    // a new file first spares every new file that wait.
    const bool replacing = disposition == CREATE_ALWAYS;
    if (replacing)
        handle = CreateFileW(name.c_str(), access, share, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && (!replacing || GetLastError() == ERROR_FILE_EXISTS))
        handle = CreateFileW(name.c_str(), access, share, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        const char* verb = replacing || mode == TFileMode::CreateNew ? "create" : "open";
        throw EFOpenError("Cannot " + std::string(verb) + " file \"" + path + "\". " +
                          SystemMessage(code));
    }
    FHandle = reinterpret_cast<intptr_t>(handle);
    FPosition = mode == TFileMode::Append ? -1 : 0;
}

TFileStream::~TFileStream() {
    CloseHandle(AsHandle(FHandle));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    DWORD n = 0;
    const DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!ReadFile(AsHandle(FHandle), buffer, want, &n, nullptr)) {
        FPosition = -1;
        throw EStreamError("Read error on \"" + FFileName + "\". " + SystemMessage(GetLastError()));
    }
    if (FPosition >= 0)
        FPosition += n;
    return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    DWORD n = 0;
    const DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!WriteFile(AsHandle(FHandle), buffer, want, &n, nullptr)) {
        FPosition = -1;
        throw EStreamError("Write error on \"" + FFileName + "\". " +
                           SystemMessage(GetLastError()));
    }
    if (FPosition >= 0)
        FPosition += n;
    return n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    // Reading a stored file asks where it stands before every read; under Wine each answer from
    // the system is a call of its own.
    if (FPosition >= 0 && ((origin == TSeekOrigin::Current && offset == 0) ||
                           (origin == TSeekOrigin::Beginning && offset == FPosition)))
        return FPosition;
    const DWORD method = origin == TSeekOrigin::Beginning ? FILE_BEGIN
                         : origin == TSeekOrigin::Current ? FILE_CURRENT
                                                          : FILE_END;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(AsHandle(FHandle), distance, &position, method)) {
        FPosition = -1;
        throw EStreamError("Seek error on \"" + FFileName + "\". " + SystemMessage(GetLastError()));
    }
    if (FPosition >= 0)
        FPosition = position.QuadPart;
    return position.QuadPart;
}

} // namespace ko
