#include "builder/translations.h"

#include "base/ascii_text.h"
#include "builder/build_error.h"
#include "builder/embedded_languages.h"
#include "builder/toml_guard.h"

#include <toml++/toml.h>

#include <algorithm>
#include <set>

namespace ko {

namespace {

int LineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

// The names in braces that the wizard fills in: "{name}", "{version_name}".
std::set<std::string> Placeholders(const std::string& text) {
    std::set<std::string> found;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        if (close == std::string::npos)
            break;
        const std::string name = text.substr(open, close - open + 1);
        if (name.size() > 2 &&
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz_", 1) == name.size() - 1)
            found.insert(name);
    }
    return found;
}

std::string Joined(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// "de", "pt-br", "zh-tw": a language and an optional region, as the wizard's choice compares them.
bool IsLanguageTag(const std::string& tag) {
    const size_t dash = tag.find('-');
    const std::string language = tag.substr(0, dash);
    const auto letters = [](const std::string& part, const char* allowed) {
        return part.find_first_not_of(allowed) == std::string::npos;
    };
    if (language.size() < 2 || language.size() > 3 ||
        !letters(language, "abcdefghijklmnopqrstuvwxyz"))
        return false;
    if (dash == std::string::npos)
        return true;
    const std::string region = tag.substr(dash + 1);
    return region.size() >= 2 && region.size() <= 8 &&
           letters(region, "abcdefghijklmnopqrstuvwxyz0123456789");
}

class TTranslationReader {
public:
    TTranslationReader(TProblems& problems, const TKoLanguage* english)
        : FProblems(problems), FEnglish(english) {}

    std::optional<TKoLanguage> Read(std::string_view text, const std::string& fileName) {
        std::string ascii;
        if (const auto unsafe = ToAsciiToml(text, ascii)) {
            FProblems.Add(unsafe->Line, unsafe->Message);
            return std::nullopt;
        }
        toml::table document;
        try {
            document = toml::parse(ascii, fileName);
        } catch (const toml::parse_error& error) {
            const auto& where = error.source().begin;
            FProblems.Add(static_cast<int>(where.line), static_cast<int>(where.column),
                          TomlErrorMessage(error.description()));
            return std::nullopt;
        }
        const size_t before = FProblems.Count();
        FLanguage.Tag = AsciiLowerCase(Identity(document, "tag"));
        FLanguage.Name = Identity(document, "name");
        if (!FLanguage.Tag.empty() && !IsLanguageTag(FLanguage.Tag))
            FProblems.Add(LineOf(*document.get("tag")),
                          "tag " + Quoted(FLanguage.Tag) +
                              " is no language tag such as \"de\" or \"pt-br\"");
        else if (FEnglish && FLanguage.Tag == "en")
            FProblems.Add(LineOf(*document.get("tag")),
                          "English is the installer's own language; its texts cannot be replaced");
        Texts(document, "");
        if (FEnglish)
            FillMissing();
        if (FProblems.Count() != before)
            return std::nullopt;
        return std::move(FLanguage);
    }

private:
    std::string Identity(const toml::table& document, std::string_view key) {
        const toml::node* node = document.get(key);
        if (!node) {
            FProblems.Add(0, "missing required key \"" + std::string(key) + "\"");
            return {};
        }
        if (!node->is_string() || node->as_string()->get().empty()) {
            FProblems.Add(LineOf(*node), "\"" + std::string(key) + "\" must be a non-empty string");
            return {};
        }
        return **node->as_string();
    }

    void Texts(const toml::table& table, const std::string& prefix) {
        for (const auto& [key, node] : table) {
            const std::string name = prefix + std::string(key.str());
            if (name == "tag" || name == "name")
                continue;
            if (const toml::table* inner = node.as_table()) {
                Texts(*inner, name + ".");
                continue;
            }
            const int line = LineOf(node);
            if (!node.is_string() || node.as_string()->get().empty()) {
                FProblems.Add(line, "\"" + name + "\" must be a non-empty string");
                continue;
            }
            const std::string& text = **node.as_string();
            if (FEnglish) {
                const auto english = FEnglish->Texts.find(name);
                if (english == FEnglish->Texts.end()) {
                    FProblems.Add(line, "unknown key " + Quoted(name) +
                                            ": the wizard has no text of that name");
                    continue;
                }
                CheckPlaceholders(line, name, text, english->second);
            }
            FLanguage.Texts[name] = text;
        }
    }

    void CheckPlaceholders(int line, const std::string& name, const std::string& text,
                           const std::string& english) {
        const std::set<std::string> ours = Placeholders(text), theirs = Placeholders(english);
        std::set<std::string> extra, missing;
        std::set_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(),
                            std::inserter(extra, extra.end()));
        std::set_difference(theirs.begin(), theirs.end(), ours.begin(), ours.end(),
                            std::inserter(missing, missing.end()));
        if (!extra.empty())
            FProblems.Add(line, Quoted(name) + " uses " + Joined(extra) +
                                    ", which the wizard does not fill in for this text");
        if (!missing.empty())
            FProblems.Add(line, Quoted(name) + " lacks " + Joined(missing) +
                                    ", which the English text shows");
    }

    // A translation written for an earlier kosetup lacks the texts added since: those show in
    // English rather than refuse the whole file.
    void FillMissing() {
        std::vector<std::string> missing;
        for (const auto& [key, text] : FEnglish->Texts)
            if (FLanguage.Texts.emplace(key, text).second)
                missing.push_back(key);
        if (missing.empty())
            return;
        std::string names;
        for (size_t i = 0; i < missing.size() && i < 5; ++i)
            names += (i ? ", " : "") + Quoted(missing[i]);
        if (missing.size() > 5)
            names += " and " + std::to_string(missing.size() - 5) + " more";
        FProblems.Warn(0, std::to_string(missing.size()) + " text" +
                              (missing.size() == 1 ? "" : "s") +
                              " missing, shown in English: " + names);
    }

    TProblems& FProblems;
    const TKoLanguage* FEnglish;
    TKoLanguage FLanguage;
};

// A carried file that does not read is a fault of this kosetup, not of the vendor's manifest.
TKoLanguage Carried(const TEmbeddedLanguage& file, const TKoLanguage* english) {
    TProblems problems(std::string("languages/") + file.FileName);
    std::optional<TKoLanguage> language =
        TTranslationReader(problems, english).Read(file.Text(), file.FileName);
    if (!language || !problems.Warnings().empty()) {
        problems.Add(0, "the translation kosetup carries is damaged");
        problems.ThrowIfAny();
    }
    return std::move(*language);
}

} // namespace

const TKoLanguage& EnglishTexts() {
    static const TKoLanguage english = [] {
        for (const TEmbeddedLanguage& file : EmbeddedLanguages())
            if (std::string_view(file.FileName) == "en.toml")
                return Carried(file, nullptr);
        throw EBuildError("This kosetup was built without its English texts");
    }();
    return english;
}

const std::vector<TKoLanguage>& CarriedTranslations() {
    static const std::vector<TKoLanguage> languages = [] {
        std::vector<TKoLanguage> list;
        for (const TEmbeddedLanguage& file : EmbeddedLanguages())
            if (std::string_view(file.FileName) != "en.toml")
                list.push_back(Carried(file, &EnglishTexts()));
        return list;
    }();
    return languages;
}

std::optional<TKoLanguage> ParseTranslation(std::string_view text, TProblems& problems,
                                            const std::string& fileName) {
    return TTranslationReader(problems, &EnglishTexts()).Read(text, fileName);
}

} // namespace ko
