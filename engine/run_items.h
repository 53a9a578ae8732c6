// The package's run items: programs started at the four stages of an install, stored ones
// unpacked first.
#pragma once

#include "base/stream.h"
#include "engine/install_run.h"
#include "engine/variables.h"

#include <cstdint>
#include <functional>

namespace ko {

// Runs the run items of Stage outside the install run (at start-up and when the window closes):
// fills a fresh variable list, opens the package file and calls RunExecs. Run reports its lines
// and is otherwise left as it is. Errors of unpacking or opening propagate.
void RunStage(TKoInstallRun& run, int32_t stage);

// Throws as ExpandTarget for the first stored program of Stage whose path does not expand to a
// full path with Variables.
void CheckStoredTargets(const TKoInstall& data, const TVariables& variables, int32_t stage);

// Runs, in package order, the run items whose stage equals Stage (low 8 bits), once the paths
// of all its stored programs are checked (CheckStoredTargets): unpacks a stored
// program to its expanded path, then starts it with the command line "x " + Parameters in its own
// folder and waits for it. Reports "Executing <title> ..." or, for a program that is not there,
// the "Unable to execute" warning. A program that does not start is passed over silently.
void RunExecs(TKoInstallRun& run, TStream& package, const TVariables& variables, int32_t stage);

// While a run item's process runs, the engine waits in slices of 200 ms and calls this after
// every slice that ended without the process ending. The default takes every pending message
// of the thread and dispatches it, so that the window keeps painting and taking input; a caller
// may set its own (and restore the default with nullptr).
void SetMessagePump(std::function<void()> pump);
// The default message pump: dispatches the thread's pending messages. A WM_QUIT it meets is
// posted again and ends the pumping, so that the application's own loop still sees it.
void ProcessPendingMessages();

// True while the engine waits for a run item's process. Messages are dispatched only then during
// an install run, so a window that receives a close request meanwhile can refuse it here rather
// than free the data the engine still works on.
bool IsRunItemRunning();

} // namespace ko
