// The uninstall log an install writes, which accumulates over the installs of one product.
#pragma once

#include "base/function_ref.h"
#include "package/ko_data.h"

#include <vector>

namespace ko {

// This run's entries followed by those of Earlier (the log of the uninstaller being replaced)
// for which Exists holds, each path once whatever its letter case: an install that adds a
// terminal, skips a newer file or cannot overwrite a held one keeps what the earlier installs
// put there removable. The folders come first, as they always have (the uninstall removes the
// files before any folder), each before any folder that holds it, otherwise in the order met;
// then the files in the order met.
std::vector<TUninstallEntry> MergeUninstallLog(const std::vector<TUninstallEntry>& current,
                                               const TKoUninstall& earlier,
                                               TFunctionRef<bool(const TUninstallEntry&)> exists);

} // namespace ko
