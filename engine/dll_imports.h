// Whether a terminal will be able to load a DLL the install wrote. A DLL built against a runtime
// the trader's computer lacks (the Visual C++ runtime, above all) fails to load with error 126,
// and the trader sees only an add-on that does nothing; the install names what is missing
// instead. Windows looks for an imported DLL in the loading DLL's folder and the system folder
// of its bitness, and resolves API-set names itself; the package's own files count too, as the
// install puts them in place.
#pragma once

#include "engine/run_state.h"
#include "package/ko_data.h"

#include <set>
#include <string>

namespace ko {

class TDllImportCheck {
public:
    // When Path (a file the run has just written) is a DLL, reports through Run a "WARNING:"
    // line for each DLL it imports that this computer lacks, each DLL and import once per run
    // however many terminals receive it. Anything else, or a file that cannot be read, reports
    // nothing: the check only adds advice, the install goes on as it would.
    void Check(TKoRun& run, const TKoInstall& data, const std::string& path);

private:
    std::set<std::string> FReported;
};

} // namespace ko
