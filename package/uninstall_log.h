// The entries of an uninstall log. The log is written (TKoInstall::WriteUninstallLog) and read
// (TKoUninstall) in uninstall_log.cpp, for the stub and the builder alike.
#pragma once

#include <string>

namespace ko {

// One thing the install run created; uninstalling removes it.
struct TUninstallEntry {
    std::string Path;
    bool Folder = false;
};

// An entry as a log holds it: its path in the log's code page, or in UTF-8 when the log carries
// it so (a name that code page cannot hold).
struct TLogEntry {
    std::string Path;
    bool Folder = false;
    bool Utf8 = false;
};

} // namespace ko
