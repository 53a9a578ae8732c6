// The manifest reader on arbitrary text: it either gives a manifest or refuses with the file and
// line, whatever the nesting of tables and arrays.
#include "builder/build_error.h"
#include "builder/manifest.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        ko::ParseManifest(text, "m.toml", "/nonexistent");
    } catch (const ko::EBuildError& error) {
        if (std::string_view(error.what()).rfind("m.toml:", 0) != 0)
            std::abort();
    }
    return 0;
}
