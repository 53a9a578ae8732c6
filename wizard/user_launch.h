// Starting programs and opening links as the user who started Setup. The installer runs with
// administrator rights; a terminal started from it would run elevated too (and would not even
// read the data folder the product went into), and so would a browser opened for a link.
#pragma once

#include "base/function_ref.h"

#include <functional>
#include <string>

namespace ko {

// Writes a line where the run's lines go; may be empty.
using TLaunchLog = std::function<void(const std::string&)>;

// Opens File ("open" verb, shown normally) through the shell of the desktop, which runs with
// the rights of the user logged on to it, as other installers do. Only where the desktop has no
// shell window (another shell, a service session) is it opened from this process instead. When
// the desktop's shell does not open it, for whatever reason, nothing else is tried: this process
// would start it as administrator; Log gets a line naming the file.
void OpenAsUser(const std::wstring& file, const TLaunchLog& log = {});

// The same decision with the shell window's presence, the desktop's shell (true when it opened
// the file) and this process's own opening passed in.
void OpenAsUser(const std::wstring& file, bool shellWindow,
                TFunctionRef<bool(const std::wstring&)> desktop,
                TFunctionRef<void(const std::wstring&)> elevated, const TLaunchLog& log);

} // namespace ko
