#include "base/errors.h"
#include "base/file_stream.h"
#include "base/win32_util.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace ko {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// What a file opened for reading reads at a time when asked for less.
constexpr int64_t ReadAheadSize = 64 * 1024;

// The part of Count one call of the system takes: it counts in 32 bits.
DWORD Portion(int64_t count) {
    return count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
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
        const bool creating = replacing || mode == TFileMode::CreateNew;
        throw EFOpenError(
            FileError(creating ? "Cannot create file" : "Cannot open file", path, code));
    }
    FHandle = reinterpret_cast<intptr_t>(handle);
    FPosition = mode == TFileMode::Append ? -1 : 0;
    FReadAhead.Enabled = mode == TFileMode::OpenRead || mode == TFileMode::OpenReadLocked;
}

TFileStream::TFileStream(intptr_t handle, const std::string& path, bool readable)
    : FFileName(path), FHandle(handle), FPosition(0) {
    FReadAhead.Enabled = readable;
}

int64_t TFileStream::ReadAt(void* buffer, int64_t count, int64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    if (!ReadFile(AsHandle(FHandle), buffer, Portion(count), &n, &at)) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF)
            return 0;
        throw EStreamError(FileError("Read error on", FFileName, code));
    }
    return n;
}

TFileStream::~TFileStream() {
    CloseHandle(AsHandle(FHandle));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (FReadAhead.Enabled) {
        // Every read names its position, so the system's own file pointer does not matter.
        TReadAhead& ahead = FReadAhead;
        int64_t end = ahead.Start + static_cast<int64_t>(ahead.Data.size());
        if (FPosition < ahead.Start || FPosition >= end) {
            if (count >= ReadAheadSize) {
                const int64_t n = ReadAt(buffer, count, FPosition);
                FPosition += n;
                return n;
            }
            ahead.Data.resize(ReadAheadSize);
            ahead.Data.resize(
                static_cast<size_t>(ReadAt(ahead.Data.data(), ReadAheadSize, FPosition)));
            ahead.Start = FPosition;
            end = ahead.Start + static_cast<int64_t>(ahead.Data.size());
            if (ahead.Data.empty())
                return 0;
        }
        const int64_t n = std::min(count, end - FPosition);
        std::memcpy(buffer, ahead.Data.data() + (FPosition - ahead.Start), static_cast<size_t>(n));
        FPosition += n;
        return n;
    }
    DWORD n = 0;
    if (!ReadFile(AsHandle(FHandle), buffer, Portion(count), &n, nullptr)) {
        FPosition = -1;
        throw EStreamError(FileError("Read error on", FFileName, GetLastError()));
    }
    if (FPosition >= 0)
        FPosition += n;
    return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    DWORD n = 0;
    if (!WriteFile(AsHandle(FHandle), buffer, Portion(count), &n, nullptr)) {
        FPosition = -1;
        throw EStreamError(FileError("Write error on", FFileName, GetLastError()));
    }
    if (FPosition >= 0)
        FPosition += n;
    return n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (FReadAhead.Enabled) {
        int64_t base = origin == TSeekOrigin::Current ? FPosition : 0;
        if (origin == TSeekOrigin::End) {
            LARGE_INTEGER size;
            if (!GetFileSizeEx(AsHandle(FHandle), &size))
                throw EStreamError(FileError("Seek error on", FFileName, GetLastError()));
            base = size.QuadPart;
        }
        if (base + offset < 0)
            throw EStreamError(FileError("Seek error on", FFileName, ERROR_NEGATIVE_SEEK));
        FPosition = base + offset;
        return FPosition;
    }
    // Asking where a stream stands, or moving it to where it stands, needs no call of the system:
    // under Wine each is a call of its own.
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
        throw EStreamError(FileError("Seek error on", FFileName, GetLastError()));
    }
    if (FPosition >= 0)
        FPosition = position.QuadPart;
    return position.QuadPart;
}

} // namespace ko
