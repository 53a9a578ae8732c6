// Unicode normalisation for the texts the builder stores: macOS writes accented names and texts
// decomposed ("e" + U+0301), the code pages hold the composed letter. Covers the canonical
// decompositions below U+3000 (every script of the supported code pages); other characters pass
// unchanged.
#pragma once

#include <string>
#include <string_view>

namespace ko {

// Normalisation form C: decomposed, marks in canonical order, composed again.
std::u32string NormalizeNfc(std::u32string_view text);
std::string NormalizeNfcUtf8(std::string_view utf8);
// The full canonical decomposition of one character (itself when it has none).
std::u32string Decompose(char32_t character);

} // namespace ko
