// A vendor's translation file: each reason to refuse one, alone, in a file that is otherwise
// sound, beside files that differ from those only in what the rule allows.
#include "builder/build_error.h"
#include "builder/problems.h"
#include "builder/translations.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

struct TParsed {
    std::optional<TKoLanguage> Language;
    std::vector<std::string> Problems; // ":LINE: message", or ": message" for the whole file
};

TParsed Parse(const std::string& text) {
    TProblems problems("v.toml");
    TParsed parsed{ParseTranslation(text, problems, "v.toml"), {}};
    try {
        problems.ThrowIfAny();
    } catch (const EManifestError& error) {
        for (const std::string& problem : error.Problems())
            parsed.Problems.push_back(problem.substr(std::string("v.toml").size()));
    }
    return parsed;
}

// A translation with two texts; Line 1 is the tag, 2 the name, 4 and 6 the texts.
std::string
Translation(const std::string& tag = "tag = \"de\"", const std::string& name = "name = \"Deutsch\"",
            const std::string& next = "next = \"Weiter >>\"",
            const std::string& caption = "install_caption = \"Installation - {name}\"") {
    return tag + "\n" + name + "\n[button]\n" + next + "\n[window]\n" + caption + "\n";
}

} // namespace

TEST(BuilderTranslations, EachReasonToRefuseAFileAndWhatPasses) {
    const struct {
        std::string Text;
        const char* Problem; // "" when the file is taken
    } rows[] = {
        {Translation(), ""},
        {Translation("tag = \"PT-BR\""), ""},
        {Translation("tag = \"tlh\""), ""},
        {Translation("tag = \"zh-hant123\""), ""},
        {Translation("tag = \"en\""), ":1: English is the installer's own language"},
        {Translation("tag = \"EN\""), ":1: English is the installer's own language"},
        {Translation("tag = \"d\""), ":1: tag \"d\" is no language tag"},
        {Translation("tag = \"deut\""), ":1: tag \"deut\" is no language tag"},
        {Translation("tag = \"de-\""), ":1: tag \"de-\" is no language tag"},
        {Translation("tag = \"de-x\""), ":1: tag \"de-x\" is no language tag"},
        {Translation("tag = \"de-abcdefghi\""), ":1: tag \"de-abcdefghi\" is no language tag"},
        {Translation("tag = \"d3\""), ":1: tag \"d3\" is no language tag"},
        {Translation("tag = \"de-a_\""), ":1: tag \"de-a_\" is no language tag"},
        {Translation("tag = 7"), ":1: \"tag\" must be a non-empty string"},
        {Translation("tag = \"\""), ":1: \"tag\" must be a non-empty string"},
        {Translation("#"), ": missing required key \"tag\""},
        {Translation("tag = \"de\"", "#"), ": missing required key \"name\""},
        {Translation("tag = \"de\"", "name = \"\""), ":2: \"name\" must be a non-empty string"},
        {Translation("tag = \"de\"", "name = [\"Deutsch\"]"), ":2: \"name\" must be a non-empty"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "nxet = \"Weiter\""),
         ":4: unknown key \"button.nxet\""},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = 1"),
         ":4: \"button.next\" must be a non-empty string"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = \"\""),
         ":4: \"button.next\" must be a non-empty string"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = \"Weiter {name}\""),
         ":4: \"button.next\" uses {name}"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = \"Weiter >>\"",
                     "install_caption = \"Installation\""),
         ":6: \"window.install_caption\" lacks {name}"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = \"Weiter >>\"",
                     "install_caption = \"Installation - {name} {folder}\""),
         ":6: \"window.install_caption\" uses {folder}"},
        {Translation("tag = \"de\"", "name = \"Deutsch\"", "next = \"Weiter"), ":4:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text);
        const TParsed parsed = Parse(row.Text);
        if (*row.Problem == '\0') {
            EXPECT_TRUE(parsed.Problems.empty()) << parsed.Problems.at(0);
            ASSERT_TRUE(parsed.Language);
            // A text it lacks is English's, as the wizard would show it.
            EXPECT_EQ(parsed.Language->Texts.at("button.next"), "Weiter >>");
            EXPECT_EQ(parsed.Language->Texts.at("button.prev"),
                      EnglishTexts().Texts.at("button.prev"));
            continue;
        }
        EXPECT_FALSE(parsed.Language);
        ASSERT_EQ(parsed.Problems.size(), 1u);
        EXPECT_EQ(parsed.Problems[0].rfind(row.Problem, 0), 0u) << parsed.Problems[0];
    }
    EXPECT_EQ(Parse(Translation("tag = \"PT-BR\"")).Language->Tag, "pt-br");
}
