// An installer damaged on its way (a download cut or altered): what the stub refuses to go on
// with, and what it tells the user, whose remedy is another download.
#pragma once

#include "base/errors.h"

namespace ko {

class EDamagedInstaller : public EKoError {
public:
    using EKoError::EKoError;
};

// The package's records are not those their builder digested.
inline constexpr char MsgDamagedPackage[] =
    "The installer is damaged: its package does not match its checksum. Please download the "
    "installer again.";

} // namespace ko
