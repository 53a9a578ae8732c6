// Writes the package's tag stream from the model the installer loads it into.
#pragma once

#include "base/stream.h"
#include "package/ko_data.h"

#include <cstdint>
#include <vector>

namespace ko {

// The magic, the digest of the records, the header records (the code page always, the banner
// when there is one), one list per file, per run item and per translation, then the end record.
// Every stored item carries a digest record, its Digest whether HasDigest is set or not: a writer
// that fills the digests in once the data is written gets records of the same length.
void WritePackage(TStream& output, const TKoInstall& install);

// Puts the digest record right behind the magic of Records (the magic to the end record, with no
// digest record yet) and fills it in, as WritePackage does: records written by other means load
// as this writer's do.
void SealRecords(std::vector<uint8_t>& records);

} // namespace ko
