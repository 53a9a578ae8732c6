// Writing the builder's output without ever destroying an input or leaving a partial file.
#pragma once

#include "base/stream.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace ko {

// Throws EBuildError when Output is one of Inputs: the same file under any spelling, link or
// hard link. Writing it would destroy what the build reads.
void CheckOutputIsNoInput(const std::filesystem::path& output,
                          const std::vector<std::filesystem::path>& inputs);

// Runs Write on a new file of a unique name beside Output and renames it over Output once
// Write has returned. On an error, and on SIGINT or SIGTERM (a console interrupt or close on
// Windows), that file is removed again; nothing else is ever removed.
void WriteOutputFile(const std::filesystem::path& output,
                     const std::function<void(TStream&)>& write);

// Between these two calls an interrupt removes Path before the program ends (the handler is
// in interrupt_posix.cpp and interrupt_win32.cpp).
void RemoveOnInterrupt(const std::filesystem::path& path);
void KeepOnInterrupt();

} // namespace ko
