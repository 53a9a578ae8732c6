// A text log that the runs' lines are appended to, one per line, each ended by CR LF. The lines
// are UTF-8, as the program makes them: a name in any script reaches the log as it is, where the
// system's ANSI code page would have turned the letters it lacks into question marks (a log
// of ASCII lines is the same in both). They reach the disk at once: a run that ends the process
// early still leaves every line before it.
#pragma once

#include "base/file_stream.h"

#include <string>

namespace ko {

class TLogFile {
public:
    // Opens Path for appending, creating it when missing. Throws EFOpenError naming the file.
    explicit TLogFile(const std::string& path);

    // Writes Line and CR LF. A line break inside Line becomes a blank: every entry stays on one
    // line, so that a script can take an error's message from the last line. A write that
    // fails is dropped.
    void WriteLine(const std::string& line);

private:
    TFileStream FFile;
};

} // namespace ko
