// Shell shortcuts (".lnk" files), written through the system's shell-link object.
#pragma once

#include "engine/transaction.h"

#include <cstdint>
#include <string>

namespace ko {

class TShellLink {
public:
    // Writes a shortcut file named FileName (replacing one of that name) from the fields. COM
    // must be initialised on the calling thread. Throws EKoError naming the file when the
    // shell-link object cannot be had; what the shell does with the fields is not checked.
    void SaveLink(const std::string& fileName) const;

    std::string Arguments;
    std::string Description;
    uint16_t Hotkey = 0;
    std::string IconPath;
    int32_t IconIndex = -1;
    std::string Target;
    int32_t ShowCommand = 1; // SW_SHOWNORMAL
    std::string WorkingDirectory;
};

// Writes a shortcut LinkPath to Target with Target's folder as working folder through the
// transaction, creating LinkPath's folder first. Throws EKoError "Cannot create shortcut ..."
// when that folder cannot be had, as for any other file of the run.
void SaveShortcut(TFileTransaction& transaction, const std::string& linkPath,
                  const std::string& target);

} // namespace ko
