// Which language the wizard speaks: one of the translations the package (or the uninstall log)
// carries, or the stub's own English.
#pragma once

#include "base/ui_texts.h"
#include "package/ko_data.h"

#include <string>
#include <string_view>
#include <vector>

namespace ko {

// The language asked for: /LANG's tag when given, else the one an earlier install spoke (for
// the uninstaller; empty for an install), else the user's interface language.
std::string WantedLanguage(const std::string& commandLine, const std::string& logged);

// The translation among Languages that serves Wanted best (the tag itself, then its language
// alone), or null for English.
const TKoLanguage* ChooseTranslation(const std::vector<TKoLanguage>& languages,
                                     std::string_view wanted);

// The texts of Language, which they refer to; English without one.
TUiTexts TextsOf(const TKoLanguage* language);

// The message boxes' captions in the texts' language from now on.
void UseMessageCaptions(const TUiTexts& texts);

} // namespace ko
