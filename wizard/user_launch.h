// Starting programs and opening links as the user who started Setup. The installer runs with
// administrator rights; a terminal started from it would run elevated too (and would not even
// read the data folder the product went into), and so would a browser opened for a link.
#pragma once

#include <string>

namespace ko {

// Opens File ("open" verb, shown normally) through the shell of the desktop, which runs with
// the rights of the user logged on to it, as other installers do. Where there is no desktop
// shell to ask (another shell, a service session), opens it from this process instead.
// Nothing is reported: a file that cannot be opened gives no message.
void OpenAsUser(const std::wstring& file);

} // namespace ko
