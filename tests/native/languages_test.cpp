// The wizard's texts in every language against the English ones: a translation that lost a key,
// a product name or folder of a message, or the accelerator of a button would show a gap or a
// wrong text in the window of that language only, where nobody reading English would notice.
#include "base/ui_texts.h"
#include "builder/toml_guard.h"

#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path Languages = fs::path(KOSETUP_SOURCE_DIR) / "languages";

using TTexts = std::map<std::string, std::string>;

// The texts by their dotted keys. A value that is not a string counts as an empty text.
void Flatten(const toml::table& table, const std::string& prefix, TTexts& texts) {
    for (const auto& [key, node] : table) {
        const std::string name = prefix + std::string(key.str());
        if (const toml::table* inner = node.as_table())
            Flatten(*inner, name + ".", texts);
        else
            texts[name] = node.value_or(std::string());
    }
}

TTexts Load(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string ascii;
    if (const auto unsafe = ko::ToAsciiToml(text.str(), ascii)) {
        ADD_FAILURE() << file << ":" << unsafe->Line << ": " << unsafe->Message;
        return {};
    }
    TTexts texts;
    try {
        Flatten(toml::parse(ascii, file.string()), "", texts);
    } catch (const toml::parse_error& error) {
        ADD_FAILURE() << error;
    }
    return texts;
}

std::set<std::string> Placeholders(const std::string& text) {
    static const std::regex placeholder(R"(\{[a-z_]+\})");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

// "&&" is a literal ampersand; a single one marks the next character.
int Accelerators(const std::string& text) {
    int count = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                ++i;
            else
                ++count;
        }
    return count;
}

} // namespace

TEST(Languages, EveryLanguageHasTheEnglishTextsWithTheirPartsAndAccelerators) {
    const TTexts english = Load(Languages / "en.toml");
    ASSERT_FALSE(english.empty());
    std::set<std::string> tags;
    for (const fs::directory_entry& entry : fs::directory_iterator(Languages)) {
        const fs::path& file = entry.path();
        SCOPED_TRACE(file.filename().string());
        ASSERT_EQ(file.extension(), ".toml");
        const std::string tag = file.stem().string();
        tags.insert(tag);
        const TTexts texts = Load(file);
        EXPECT_EQ(texts.count("tag") ? texts.at("tag") : "", tag);
        for (const auto& [key, text] : texts) {
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_TRUE(english.count(key)) << key << " is not an English key";
        }
        for (const auto& [key, text] : english) {
            const auto found = texts.find(key);
            if (found == texts.end()) {
                ADD_FAILURE() << key << " is missing";
                continue;
            }
            EXPECT_EQ(Placeholders(found->second), Placeholders(text)) << key;
            EXPECT_EQ(Accelerators(found->second), Accelerators(text)) << key;
        }
    }
    EXPECT_EQ(tags, (std::set<std::string>{"de", "en", "es", "fr", "it", "ja", "ko", "pt", "ru",
                                           "tr", "zh"}));
}

// The stub shows its own English table; the builder and the translators read en.toml. A text
// changed in one and not the other would make the "same" English differ between languages.
TEST(Languages, TheStubsEnglishIsEnTomlAndTranslationsFallBackKeyByKey) {
    TTexts english = Load(Languages / "en.toml");
    english.erase("tag");
    english.erase("name");
    std::set<std::string> keys;
    for (std::string_view key : ko::TextKeys()) {
        keys.insert(std::string(key));
        EXPECT_EQ(ko::EnglishText(key), english[std::string(key)]) << key;
    }
    EXPECT_EQ(keys.size(), english.size());

    const TTexts german = Load(Languages / "de.toml");
    TTexts partial = {{"button.next", german.at("button.next")},
                      {"page.finish.install_text", german.at("page.finish.install_text")},
                      {"button.prev", ""}};
    const ko::TUiTexts texts("de", &partial);
    EXPECT_EQ(texts("button.next"), german.at("button.next"));
    EXPECT_EQ(texts("button.prev"), "<< Prev");
    EXPECT_EQ(texts("button.cancel"), "Cancel");
    // Every occurrence filled, a value never read as a placeholder itself.
    const std::string finish = texts("page.finish.install_text", {{"name", "{name}{x"}});
    const size_t first = finish.find("{name}{x");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(finish.find("{name}{x", first + 1), std::string::npos);
    EXPECT_EQ(ko::FillText("{a}-{b}-{a}", {{"a", "{b}"}}), "{b}-{b}-{b}");
    EXPECT_EQ(ko::FillText("open {", {{"a", "1"}}), "open {");
}

TEST(Languages, TheSystemLanguageFindsTheRegionThenTheLanguageAlone) {
    const std::vector<std::string> carried = {"de", "pt", "zh", "pt-BR"};
    EXPECT_EQ(ko::ChooseLanguage(carried, "pt-BR"), 3);
    EXPECT_EQ(ko::ChooseLanguage(carried, "pt-PT"), 1);
    EXPECT_EQ(ko::ChooseLanguage(carried, "DE_at"), 0);
    EXPECT_EQ(ko::ChooseLanguage(carried, "zh-CN"), 2);
    EXPECT_EQ(ko::ChooseLanguage(carried, "zh-SG"), 2);
    // Traditional Chinese readers get English rather than the simplified script.
    for (const char* traditional : {"zh-TW", "zh-HK", "zh-MO", "zh-Hant-TW"})
        EXPECT_EQ(ko::ChooseLanguage(carried, traditional), -1) << traditional;
    EXPECT_EQ(ko::ChooseLanguage(carried, "ru-RU"), -1);
    EXPECT_EQ(ko::ChooseLanguage(carried, ""), -1);
}
