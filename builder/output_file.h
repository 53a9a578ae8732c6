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

// Called with the written file before it becomes Output; returns the file that becomes Output
// (the same one, or a signed copy it made and removes again on an error). Throws EBuildError.
using TOutputFinisher = std::function<std::filesystem::path(const std::filesystem::path& written)>;

// Runs Write on a new file of a unique name beside Output, then Finish when given, and renames
// the result over Output. On an error, and on SIGINT or SIGTERM (a console interrupt or close
// on Windows), that file is removed again; nothing else is ever removed.
void WriteOutputFile(const std::filesystem::path& output,
                     const std::function<void(TStream&)>& write,
                     const TOutputFinisher& finish = {});

// Between these two calls an interrupt removes Path before the program ends (the handler is
// in interrupt_posix.cpp and interrupt_win32.cpp).
void RemoveOnInterrupt(const std::filesystem::path& path);
void KeepOnInterrupt();

} // namespace ko
