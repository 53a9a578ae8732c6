// An installer damaged on its way (a download cut or altered): what the stub refuses to go on
// with, and what it tells the user, whose remedy is another download.
#pragma once

#include "base/errors.h"

#include <string>

namespace ko {

class EDamagedInstaller : public EKoError {
public:
    using EKoError::EKoError;
    // A stored file whose data does not match its checksum, named by its Target.
    static EDamagedInstaller StoredFile(const std::string& target) {
        EDamagedInstaller error("The installer is damaged: the data of \"" + target +
                                "\" does not match its checksum. Please download the installer "
                                "again.");
        error.File = target;
        return error;
    }
    // The target of the damaged stored file; empty when the package itself is damaged. The
    // wizard tells the user in their language, the log in English.
    std::string File;
};

// The package's records are not those their builder digested.
inline constexpr char MsgDamagedPackage[] =
    "The installer is damaged: its package does not match its checksum. Please download the "
    "installer again.";

} // namespace ko
