// The package loader on arbitrary bytes behind a valid package pointer, and the banner it
// keeps decoded as the wizard decodes it.
#include "package/ko_data.h"
#include "package/tag_stream.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(140 + size, 0);
    ko::PutLE32(file.data() + 136, 140);
    std::memcpy(file.data() + 140, data, size);
    ko::TMemoryStream stream(std::move(file));
    ko::TKoInstall install;
    try {
        install.LoadFromStream(stream);
    } catch (const ko::EDamagedData&) {
        // A record larger than memory can hold.
    }
    try {
        install.Banner.DecodeRgb();
    } catch (const ko::EJpegError&) {
    }
    return 0;
}
