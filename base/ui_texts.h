// The texts the installer and uninstaller show the user, by key ("button.next", the dotted keys
// of languages/en.toml): English is built in, a translation replaces it key by key. The run's
// log lines are not texts of this kind; they stay English for the vendor's support.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ko {

// The values of a text's placeholders: {"name", "Alpha"} fills "{name}".
using TTextArgs = std::initializer_list<std::pair<std::string_view, std::string_view>>;

class TUiTexts {
public:
    // English.
    TUiTexts() = default;
    // Translation's texts where it has them (UTF-8, by key), English for the rest. Translation
    // is not copied: it must outlive the texts.
    TUiTexts(std::string tag, const std::map<std::string, std::string>* translation);

    // The text of Key with its placeholders filled; an unknown placeholder stays as it is, an
    // unknown key gives an empty text.
    std::string operator()(std::string_view key, TTextArgs args = {}) const;
    // The language's tag; "en" for English.
    const std::string& Tag() const { return FTag; }

private:
    std::string FTag = "en";
    const std::map<std::string, std::string>* FTranslation = nullptr;
};

// The built-in English text of Key, unfilled; empty for an unknown key.
std::string_view EnglishText(std::string_view key);
// Every key the program knows.
std::vector<std::string_view> TextKeys();

// Text with every "{placeholder}" of Args replaced by its value.
std::string FillText(std::string_view text, TTextArgs args);

// The tags of the system's language to try, best first: the tag itself ("pt-BR"), then the
// language alone ("pt"). Chinese in its traditional script (Taiwan, Hong Kong, Macao, "Hant")
// does not fall back to "zh", the simplified one.
std::vector<std::string> LanguageCandidates(std::string_view tag);
// The index of the tag in Tags (any letter case) that serves Wanted best, or -1: English.
int ChooseLanguage(const std::vector<std::string>& tags, std::string_view wanted);

} // namespace ko
