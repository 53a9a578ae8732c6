// The manifest reader on arbitrary text: it gives a manifest, its mistakes each with the file and
// line, whatever the nesting of tables and arrays.
#include "builder/build_error.h"
#include "builder/manifest.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ko::TManifest manifest = ko::ParseManifest(text, "m.toml", "/nonexistent");
    try {
        manifest.Problems.ThrowIfAny();
    } catch (const ko::EManifestError& error) {
        for (const std::string& problem : error.Problems())
            if (problem.rfind("m.toml:", 0) != 0)
                std::abort();
    }
    return 0;
}
