#include "builder/platform.h"

#include <cstring>

namespace ko {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t EpochDifference = 11644473600;
constexpr int64_t TicksPerSecond = 10000000;

} // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string NativeName(const std::filesystem::path& path) {
    return PathToUtf8(path);
}

std::string UnreadableReason(const std::filesystem::path& path, int error) {
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    if (!std::filesystem::exists(status))
        return "there is no such file";
    if (std::filesystem::is_directory(status))
        return "it is a folder";
    return error ? std::strerror(error) : "the system gave no reason";
}

uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    const int64_t ticks = (seconds + EpochDifference) * TicksPerSecond + nanoseconds / 100;
    return ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
}

int64_t UnixSecondsFromFileTime(uint64_t fileTime) {
    return static_cast<int64_t>(fileTime / TicksPerSecond) - EpochDifference;
}

} // namespace ko
