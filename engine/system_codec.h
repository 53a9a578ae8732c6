// How the stub reads the texts of its package or log: in the code page they record, converted
// to UTF-8 (see TTextCodec).
#pragma once

#include "package/ko_data.h"

#include <string>

namespace ko {

// The code pages of the builder from its tables, unless the code page is the system's own:
// that one, and any other the system knows, the system converts, exactly as it always has.
const TTextCodec& SystemCodec();

// Loads Data from File (TKoData::LoadFromFile) and decodes its texts with SystemCodec. Throws
// as LoadFromFile does, and EKoError naming the file and the code page when the system does
// not know that code page.
void LoadData(TKoData& data, const std::string& file);

} // namespace ko
