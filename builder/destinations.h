// Where a package's files go, summed per destination, so that a vendor sees at a glance what
// reaches MetaTrader 4, what MetaTrader 5 and what the program folder: a file put under the wrong
// folder shows as a count where none was expected.
#pragma once

#include "builder/package_writer.h"

#include <string>
#include <vector>

namespace ko {

// One line per destination ("MetaTrader 4: 2 files, 10240 bytes"; "none" for no file): MetaTrader
// 4, MetaTrader 5 and the program folder always, other places ({desktop}, {windir}...) when a file
// goes there. A file under "{metatrader}" outside MQL4\ and MQL5\ counts for both platforms.
std::vector<std::string> DestinationSummary(const TPackageContent& content);

} // namespace ko
