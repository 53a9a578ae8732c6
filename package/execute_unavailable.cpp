// The install and uninstall runs act on the Windows registry, shell and file system and live in
// the engine; builds without the engine (the builder, the native tests) only read and write the
// formats.
#include "base/errors.h"
#include "package/ko_data.h"

namespace ko {

void TKoInstall::Execute() {
    throw EKoError("TKoInstall.Execute: the install run is not part of this build");
}

void TKoUninstall::Execute() {
    throw EKoError("TKoUninstall.Execute: the uninstall run is not part of this build");
}

} // namespace ko
