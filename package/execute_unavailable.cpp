// The install and uninstall runs act on the Windows registry, shell and file system; the
// portable build (the builder and the native tests) only reads and writes the formats.
#include "base/errors.h"
#include "package/ko_data.h"

namespace ko {

void TKoInstall::Execute() {
    throw EKoError("TKoInstall.Execute: the install run needs Windows");
}

void TKoUninstall::Execute() {
    throw EKoError("TKoUninstall.Execute: the uninstall run needs Windows");
}

} // namespace ko
