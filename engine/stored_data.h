// Writing the stored data of file and program records: deciphered, checked against the digest
// the package records, and given the stored times.
#pragma once

#include "base/stream.h"
#include "engine/damaged_installer.h"
#include "engine/digest_worker.h"
#include "engine/transaction.h"
#include "package/stored_item.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ko {

// TimesNotSet: the caller warns, since the next install's newer-version check reads the times.
enum class TStoredWrite { Written, TimesNotSet, Skipped };

// Writes stored data through a run's transaction, one file after another: deciphered, checked,
// then given its creation time and its last-access and last-write times while still open. The
// digest is taken on a second thread: a small file is deciphered into memory before its
// temporary file is made, and digested while the file is created and written; a large one
// streams to its file in chunks, each digested while the next is read and written. Either way
// the check costs the run next to no time of its own.
class TStoredDataWriter {
public:
    // Writes Data's content to Target through Transaction. Throws ECipherException "Invalid file
    // format" when the stored bytes end early, and EDamagedInstaller naming Target when the
    // content does not match the digest, both only once Transaction has found the target
    // writable; Transaction removes what was written. Skipped when Held is Skip and another
    // program holds the target.
    TStoredWrite Write(TFileTransaction& transaction, TStream& package, const TStoredItem& data,
                       const uint8_t* key, const std::string& target,
                       THeldTarget held = THeldTarget::Fail);

private:
    std::vector<uint8_t> FBuffer;
    // Declared after the buffer it reads, so that it stops before the buffer goes.
    TDigestWorker FWorker;
};

} // namespace ko
