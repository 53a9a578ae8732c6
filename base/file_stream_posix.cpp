#include "base/errors.h"
#include "base/file_stream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ko {

namespace {

std::string SystemMessage() {
    return std::strerror(errno);
}

} // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) : FFileName(path) {
    int flags = O_RDONLY;
    if (mode == TFileMode::OpenReadWrite)
        flags = O_RDWR;
    else if (mode == TFileMode::Create || mode == TFileMode::CreateRenamable)
        flags = O_RDWR | O_CREAT | O_TRUNC;
    else if (mode == TFileMode::Append)
        flags = O_WRONLY | O_CREAT | O_APPEND;
    else if (mode == TFileMode::CreateNew)
        flags = O_RDWR | O_CREAT | O_EXCL;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        const bool creating = mode == TFileMode::Create || mode == TFileMode::CreateNew ||
                              mode == TFileMode::CreateRenamable;
        const char* verb = creating ? "create" : "open";
        throw EFOpenError("Cannot " + std::string(verb) + " file \"" + path + "\". " +
                          SystemMessage());
    }
    FHandle = fd;
}

TFileStream::TFileStream(intptr_t handle, const std::string& path, bool)
    : FFileName(path), FHandle(handle) {}

TFileStream::~TFileStream() {
    ::close(static_cast<int>(FHandle));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    ssize_t n;
    do
        n = ::read(static_cast<int>(FHandle), buffer, static_cast<size_t>(count));
    while (n < 0 && errno == EINTR);
    if (n < 0)
        throw EStreamError("Read error on \"" + FFileName + "\". " + SystemMessage());
    return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    ssize_t n;
    do
        n = ::write(static_cast<int>(FHandle), buffer, static_cast<size_t>(count));
    while (n < 0 && errno == EINTR);
    if (n < 0)
        throw EStreamError("Write error on \"" + FFileName + "\". " + SystemMessage());
    return n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    const off_t position = ::lseek(static_cast<int>(FHandle), offset, whence);
    if (position < 0)
        throw EStreamError("Seek error on \"" + FFileName + "\". " + SystemMessage());
    return position;
}

} // namespace ko
