// The package loader on arbitrary bytes behind a valid package pointer.
#include "package/ko_data.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(140 + size, 0);
    ko::PutLE32(file.data() + 136, 140);
    std::memcpy(file.data() + 140, data, size);
    ko::TMemoryStream stream(std::move(file));
    ko::TKoInstall install;
    try {
        install.LoadFromStream(stream);
    } catch (const ko::EKoError&) {
        // A banner the decoder rejects is an error by design.
    }
    return 0;
}
