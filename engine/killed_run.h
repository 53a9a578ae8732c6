// Undoing a run that was killed: its journal (TFileTransaction::KeepJournal) lists what it
// created and what it replaced, each before it happened, so the next install or uninstall can
// put the machine back as it was before that run, whatever step it died in.
#pragma once

#include "base/function_ref.h"
#include "engine/link_guard.h"

#include <string>

namespace ko {

// When the journal at JournalPath is there and trusted (ReadJournal; an untrusted one is left to
// the caller's own reading, which reports it), undoes its run, newest step first: a replaced file
// whose backup is there gets it back, a created file that is there is deleted, a created folder
// that is empty is removed, and the temporary file a write left beside each is deleted; a step that
// never happened (no backup, no file) is passed over, so that an undo killed in its turn can be
// done again. A path in another user's profile with a link on the way (TProfileGuard) is left
// alone, with a warning. Keep names a file left as it is, with its backup deleted (the running
// uninstaller, which goes anyway). Each step is passed to Report as a line, what cannot be undone
// as a "WARNING:" line. The journal is then left listing only the created files and folders that
// could not be removed, or deleted when there are none. Never throws.
// Guard holds the folders in other users' profiles for the caller's run, which may hold some of
// them already.
void UndoKilledRun(const std::string& journalPath, const std::string& keep,
                   TFunctionRef<void(const std::string&)> report, TProfileGuard& guard);

} // namespace ko
