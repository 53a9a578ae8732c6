// The builder reads the vendor's DLLs and the stub the DLLs it has just written: any bytes may
// stand where a PE header is expected. The readers never fail, and whatever offsets they
// return lie inside the bytes they were given.
#include "base/stream.h"
#include "package/pe_image.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto fields = ko::FindPeFields(data, size))
        if (fields->CheckSum + 4 > size || fields->SecurityDirectory + 8 > size)
            std::abort();
    ko::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    if (const auto module = ko::ReadPeModule(stream))
        for (const std::string& name : module->Imports)
            if (name.size() > size)
                std::abort();
    return 0;
}
