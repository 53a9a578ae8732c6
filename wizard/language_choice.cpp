#include "wizard/language_choice.h"

#include "base/win32_util.h"
#include "ui/message_box.h"

namespace ko {

std::string WantedLanguage(const std::string& commandLine, const std::string& logged) {
    if (!commandLine.empty())
        return commandLine;
    if (!logged.empty())
        return logged;
    return UserLanguageTag();
}

const TKoLanguage* ChooseTranslation(const std::vector<TKoLanguage>& languages,
                                     std::string_view wanted) {
    std::vector<std::string> tags;
    for (const TKoLanguage& language : languages)
        tags.push_back(language.Tag);
    const int chosen = ChooseLanguage(tags, wanted);
    return chosen < 0 ? nullptr : &languages[chosen];
}

TUiTexts TextsOf(const TKoLanguage* language) {
    if (!language)
        return {};
    return TUiTexts(language->Tag, &language->Texts);
}

void UseMessageCaptions(const TUiTexts& texts) {
    ui::SetMessageCaptions(Wide(texts("message_box.error")), Wide(texts("message_box.warning")),
                           Wide(texts("message_box.information")));
}

} // namespace ko
