#include "builder/build_error.h"
#include "builder/platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ko {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path) {
    throw EBuildError("Cannot " + what + " \"" + PathToUtf8(path) + "\". " + std::strerror(errno));
}

} // namespace

TFileTimes GetFileTimes(const std::filesystem::path& path) {
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_BTIME, &info) != 0)
        Fail("read the times of", path);
    TFileTimes times;
    times.LastWrite = FileTimeFromUnix(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    times.Creation = (info.stx_mask & STATX_BTIME)
                         ? FileTimeFromUnix(info.stx_btime.tv_sec, info.stx_btime.tv_nsec)
                         : times.LastWrite;
    return times;
}

void SetFileTimes(const std::filesystem::path& path, const TFileTimes& times) {
    // A POSIX file system has no settable creation time; access and last-write time are set.
    const int64_t ticks = static_cast<int64_t>(times.LastWrite % 10000000);
    struct timespec both[2];
    both[0].tv_sec = UnixSecondsFromFileTime(times.LastWrite);
    both[0].tv_nsec = static_cast<long>(ticks * 100);
    both[1] = both[0];
    if (utimensat(AT_FDCWD, path.c_str(), both, 0) != 0)
        Fail("set the times of", path);
}

void RandomBytes(uint8_t* buffer, size_t count) {
    while (count > 0) {
        const ssize_t n = getrandom(buffer, count, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EBuildError(std::string("Cannot get random bytes for the key. ") +
                              std::strerror(errno));
        buffer += n;
        count -= static_cast<size_t>(n);
    }
}

std::filesystem::path ExecutablePath() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self;
}

int RunShellCommand(const std::string& utf8) {
    const int status = std::system(utf8.c_str());
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string ShellQuote(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : PathToUtf8(path))
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> StartCommandLine(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

} // namespace ko
