// The translation lists of the package and of the uninstall log: both carry them alike, as id-22
// lists of LanguageTag records, their strings UTF-8 and scrambled as every other string.
#pragma once

#include "package/ko_data.h"
#include "package/tag_stream.h"

namespace ko {

// One list, its header included. The documents go only where WithDocuments is set and the
// language has them: the uninstaller shows none, so the log does not carry them.
void WriteLanguageList(TTagStreamAdapter& writer, int32_t tag, const TKoLanguage& language,
                       bool withDocuments);

// Reads the records of a list whose header ReadTag has just read, to its end record. Records of
// another type than written here are skipped by their type; a value without its key just before
// it is dropped. A list without a tag describes no language: it is not added.
void ReadLanguageList(TTagStreamAdapter& reader, std::vector<TKoLanguage>& languages);

} // namespace ko
