// The few things the builder needs from the operating system beyond std::filesystem: file times
// as Windows FILETIMEs, random bytes for the key, and the builder's own location.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ko {

// 100-nanosecond intervals since 1601-01-01 UTC.
struct TFileTimes {
    uint64_t Creation = 0;
    uint64_t LastWrite = 0;
};

// A file's times. Where the file system keeps no creation time, the last-write time stands in.
// Throws EBuildError naming the file.
TFileTimes GetFileTimes(const std::filesystem::path& path);
// Sets the last-write time (and, where the system allows, the creation time). Throws
// EBuildError naming the file.
void SetFileTimes(const std::filesystem::path& path, const TFileTimes& times);

// Fills Buffer from the operating system's random source. Throws EBuildError.
void RandomBytes(uint8_t* buffer, size_t count);

// The running program's own file, or an empty path when the system does not say.
std::filesystem::path ExecutablePath();

// The program's arguments without its name, as UTF-8 (Windows hands them over in UTF-16), with
// the console set up to show UTF-8 output.
std::vector<std::string> StartCommandLine(int argc, char** argv);

// Paths in the manifest and on the command line are UTF-8, and so are the names the file
// streams take (on Windows they open files through the wide functions).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const std::filesystem::path& path);
std::string NativeName(const std::filesystem::path& path);

// Runs a command line through the system's shell (sh, or cmd on Windows) and returns its exit
// code; -1 when it could not be started.
int RunShellCommand(const std::string& utf8);
// Path quoted as one word for that shell.
std::string ShellQuote(const std::filesystem::path& path);

// Why Path cannot be opened for reading: "there is no such file", "it is a folder", or the
// system's reason for Error (an errno value saved right after the failed open).
std::string UnreadableReason(const std::filesystem::path& path, int error);

// Unix time and FILETIME.
uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
int64_t UnixSecondsFromFileTime(uint64_t fileTime);

} // namespace ko
