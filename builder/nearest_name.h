// The known name a misspelt one most likely meant, for "did you mean" hints: vendors type keys
// from memory ("licence", "verison_minor", "[[files]]"), and an error that names the right key
// saves a look into the reference.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace ko {

// The name of Known closest to Word, ignoring letter case, when it lies within a third of
// Word's length (at least one edit; swapping two neighbouring letters counts as one); "" when
// none does or two lie equally close.
std::string NearestName(std::string_view word, const std::set<std::string>& known);

} // namespace ko
