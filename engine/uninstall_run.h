// The uninstall run over a loaded uninstall log.
#pragma once

#include "engine/run_state.h"
#include "package/ko_data.h"

namespace ko {

class TKoUninstallRun : public TKoRun {
public:
    explicit TKoUninstallRun(TKoUninstall& data) : Data(data) {}

    // Deletes the logged files, removes the logged folders that are empty and the product's
    // registration. Raises no error of its own: what cannot be removed is reported or passed
    // over; a file that another program holds is scheduled for removal at the next restart,
    // and so are the logged folders that hold one. Starts with Position at 0.
    void Execute() override;

    TKoUninstall& Data;
};

} // namespace ko
