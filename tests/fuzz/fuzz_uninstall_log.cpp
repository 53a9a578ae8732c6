// The uninstall-log reader, including the pointer at offset 136.
#include "package/ko_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ko::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    ko::TKoUninstall log;
    try {
        log.LoadFromStream(stream);
    } catch (const ko::EKoError&) {
    }
    return 0;
}
