// The wizard's translations (languages/*.toml) that kosetup carries inside itself, put there
// when kosetup was built (cmake/embed-languages.cmake), in the order of their file names.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ko {

struct TEmbeddedLanguage {
    const char* FileName; // "de.toml"
    const unsigned char* Bytes;
    size_t Size;

    std::string_view Text() const { return {reinterpret_cast<const char*>(Bytes), Size}; }
};

const std::vector<TEmbeddedLanguage>& EmbeddedLanguages();

} // namespace ko
