// A text log that the runs' lines are appended to, one per line, each ended by CR LF. The lines
// are written as they come, in the 8-bit code page they are made in, and reach the disk at once:
// a run that ends the process early still leaves every line before it.
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
