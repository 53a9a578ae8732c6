// The wizard's translations as the builder reads them: the files kosetup carries and a vendor's
// own, each a TOML file of the form of languages/en.toml, checked against English.
#pragma once

#include "builder/problems.h"
#include "package/ko_data.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ko {

// The texts English has, from the file kosetup carries: every key a translation must have.
const TKoLanguage& EnglishTexts();

// Every translation kosetup carries but English (the stub's own), in the order of their tags.
const std::vector<TKoLanguage>& CarriedTranslations();

// Reads one translation; its mistakes go to Problems (which names its file), with their lines.
// A key English does not have, a text that is not a non-empty string, a placeholder English
// does not use in that text or one it lacks, a missing or malformed tag, and "en" are
// mistakes; a missing key is a warning and takes the English text, as the wizard would. The
// tag comes back in lower case. Nothing when there was a mistake.
std::optional<TKoLanguage> ParseTranslation(std::string_view text, TProblems& problems,
                                            const std::string& fileName);

} // namespace ko
