#include "builder/build_error.h"
#include "builder/manifest.h"
#include "builder/product.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace ko;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

// Resolves a manifest written into Dir; returns the error message, or "" when it succeeds.
std::string Problem(const TTempDir& dir, const std::string& text) {
    WriteFile(dir / "m.toml", text);
    try {
        const TManifest manifest = LoadManifest((dir / "m.toml").string());
        std::vector<std::string> warnings;
        ResolveManifest(manifest, {}, warnings);
    } catch (const EBuildError& error) {
        const std::string message = error.what();
        const std::string prefix = (dir / "m.toml").string() + ":";
        return message.rfind(prefix, 0) == 0 ? "m.toml:" + message.substr(prefix.size()) : message;
    }
    return "";
}

const char* const Product = "[product]\nname = \"X\"\n";

} // namespace

TEST(BuilderManifest, ErrorsNameTheFileAndLine) {
    TTempDir dir;
    WriteFile(dir / "a.ex4", std::string("x"));
    WriteFile(dir / "doc.txt", std::string("plain text"));
    WriteFile(dir / "bad.rtf", std::string("{\\rtf1 caf\x81}"));
    std::vector<uint8_t> cut = kotest::MakeJpeg(64, 64);
    cut.resize(cut.size() - 8); // into the picture's data: libjpeg only warns
    WriteFile(dir / "cut.jpg", cut);
    WriteFile(dir / "cmyk.jpg", kotest::MakeJpeg(8, 8, true));
    WriteFile(dir / "huge.jpg", kotest::WithJpegSize(kotest::MakeJpeg(8, 8), 4097, 4096));
    WriteFile(dir / "utf16.rtf", std::string("\xFF\xFE{\0\\\0r\0", 8));
    const std::string file = "[[file]]\nsource = \"a.ex4\"\n";
    struct TCase {
        std::string Text, Expected;
    } cases[] = {
        {"[product\nname = \"X\"\n", "m.toml:1:"},
        {std::string(Product) + "publsher = \"P\"\n", "m.toml:3: unknown key \"product.publsher\""},
        // Text that the TOML parser itself would mishandle.
        {std::string(Product) + "build = 1\xCE\x97\n",
         "m.toml:3: a non-ASCII character outside a string or comment"},
        {"[product]\nname = \"\\\xC2\xA7\"\n",
         "m.toml:2: a non-ASCII character right after a backslash"},
        {std::string(Product) + "build = 2'\xEF\xBB\x9F'\n", "m.toml:3:"},
        {"[prodcut]\nname = \"X\"\n", "m.toml:1: unknown key \"prodcut\""},
        {"[product]\nversion_major = 2\n", "m.toml:1: missing required key \"product.name\""},
        {"\n[product]\nname = 5\n", "m.toml:3: field \"product.name\" must be a string"},
        {"[product]\nname = '<b>Nul</b>.txt'\n",
         "m.toml:2: field \"product.name\": folder name \"Nul.txt\" is the device name NUL, which "
         "Windows reserves"},
        {"[product]\nname = ' <b>..</b> '\n",
         "m.toml:2: field \"product.name\" shows no character that Windows allows in folder "
         "names, so it names no folder"},
        {std::string(Product) + "publisher = \"A/B\"\nwebsite = \"x.com\"\n",
         "m.toml:3: field \"product.publisher\": web-site shortcut name \"A/B Website\" holds "
         "character U+002F '/', which Windows does not allow in names"},
        {std::string(Product) + file + "target = '{app}\\a.ex4'\nshortcut = '..\\Startup'\n",
         "m.toml:6: field \"file.shortcut\": shortcut name \"..\\Startup\" holds character "
         "U+005C"},
        {std::string(Product) + file + "target = '{app}\\com1.log\\a.ex4'\n",
         "path \"{app}\\com1.log\\a.ex4\" holds the name \"com1.log\" that is the device name "
         "COM1"},
        {std::string(Product) + file + "target = '{app}\\dir.\\a.ex4'\n",
         "holds the name \"dir.\" that ends in a dot"},
        {std::string(Product) + "build = -1\n", "m.toml:3: field \"product.build\" must lie"},
        {"codepage = 65000\n" + std::string(Product),
         "m.toml:1: field \"codepage\" must be one of"},
        {std::string(Product) + file + "target = \"\"\n",
         "m.toml:5: field \"file.target\" is empty"},
        {std::string(Product) + file + "target = 'C:\\x.ex4'\n",
         "m.toml:5: field \"file.target\": path \"C:\\x.ex4\" must begin with a path variable"},
        {std::string(Product) + file + "target = '{app}\\..\\x.ex4'\n", "holds a \"..\" component"},
        {std::string(Product) + file + "target = '{ap}\\x.ex4'\n", "unknown path variable {ap}"},
        {std::string(Product) + file + "target = '{app}\\a.ex4'\ncheck_newer = 1\n",
         "m.toml:6: field \"file.check_newer\" must be true or false"},
        {std::string(Product) + "[[file]]\nsource = \"*.ex5\"\ntarget = '{app}\\'\n",
         "m.toml:4: pattern \"*.ex5\" matches no file"},
        {std::string(Product) + "[[file]]\nsource = \"b.ex4\"\ntarget = '{app}\\b.ex4'\n",
         "m.toml:4: source file \"" + (dir / "b.ex4").string() + "\" not found"},
        {std::string(Product) + file + "target = '{app}\\A.EX4'\n" + file +
             "target = '{APP}\\a.ex4'\n",
         "m.toml:8: target \"{APP}\\a.ex4\" is already used by the file on line 5"},
        {std::string(Product) + "[[run]]\npath = '{windir}\\x.exe'\ntitle = \"T\"\nstage = 4\n",
         "m.toml:6: field \"run.stage\" must be 0 to 3"},
        {std::string(Product) + "[[run]]\npath = 'x.exe'\ntitle = \"T\"\nstage = 0\n",
         "m.toml:4: field \"run.path\""},
        {std::string(Product) + "[metatrader]\nexpert_options = \"1x\"\n",
         "m.toml:4: field \"metatrader.expert_options\" must be"},
        {std::string(Product) + "[documents]\nreadme = \"doc.txt\"\n", "is not an RTF document"},
        {std::string(Product) + "[documents]\nreadme = \"utf16.rtf\"\n",
         "is UTF-16 text (it begins with a UTF-16 byte-order mark)"},
        {std::string(Product) + "[documents]\nlicense = \"bad.rtf\"\n",
         "m.toml:4: field \"documents.license\": \"" + (dir / "bad.rtf").string() +
             "\" holds byte 0x81 at offset 10, which is not in code page 1252"},
        {std::string(Product) + "[documents]\nbanner = \"doc.txt\"\n",
         "m.toml:4: field \"documents.banner\": \"" + (dir / "doc.txt").string() +
             "\" cannot be shown: Invalid JPEG picture: Not a JPEG file"},
        {std::string(Product) + "[documents]\nbanner = \"cut.jpg\"\n",
         "Premature end of JPEG file"},
        {std::string(Product) + "[documents]\nbanner = \"cmyk.jpg\"\n", "CMYK"},
        {std::string(Product) + "[documents]\nbanner = \"huge.jpg\"\n",
         "it is 4097x4096 pixels, more than 4096x4096"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string problem = Problem(dir, c.Text);
        EXPECT_NE(problem.find(c.Expected), std::string::npos) << problem;
    }
    // Markup in the name is shown; its text names the folders.
    EXPECT_EQ(Problem(dir, "[product]\nname = 'Probe <b>Bold</b> <link>C:\\p\\m.exe</link>'\n"),
              "");
}

TEST(BuilderManifest, RefusesCharactersTheCodePageCannotHold) {
    TTempDir dir;
    EXPECT_EQ(Problem(dir, "[product]\nname = \"X\"\npublisher = \"Café 中\"\n"),
              "m.toml:3: field \"product.publisher\": character U+4E2D '中' is not in code page "
              "1252; code pages 932, 936, 949, 950, 65001 hold it");
    EXPECT_EQ(Problem(dir, "codepage = 1251\n[product]\nname = \"Café\"\n"),
              "m.toml:3: field \"product.name\": character U+00E9 'é' is not in code page 1251; "
              "code pages 1250, 1252, 1254, 1256, 1257, 1258 hold it");
    EXPECT_EQ(Problem(dir, "codepage = 1251\n[product]\nname = \"Советник\"\n"), "");
    EXPECT_EQ(Problem(dir, "codepage = 65001\n[product]\nname = \"中文 한국 😀\"\n"), "");
    EXPECT_EQ(Problem(dir, "codepage = 936\n[product]\nname = \"中文\"\npublisher = \"한\"\n"),
              "m.toml:4: field \"product.publisher\": character U+D55C '한' is not in code page "
              "936; code pages 949, 65001 hold it");
    EXPECT_EQ(Problem(dir, "codepage = 1251\n[product]\nname = \"😀\"\n"),
              "m.toml:3: field \"product.name\": character U+1F600 '😀' is not in code page 1251; "
              "code page 65001 (UTF-8) holds it");
    // Compared whole: 2^32 + 1252 is no code page.
    EXPECT_NE(Problem(dir, "codepage = 4294968548\n[product]\nname = \"X\"\n")
                  .find("m.toml:1: field \"codepage\" must be one of 874, 932, 936"),
              std::string::npos);
    // A file name found by a pattern is converted too.
    WriteFile(dir / "src/中.ex4", std::string("x"));
    EXPECT_NE(Problem(dir, "[product]\nname = \"X\"\n[[file]]\nsource = \"src/*.ex4\"\n"
                           "target = '{app}\\'\n")
                  .find("m.toml:5: field \"file.target\": character U+4E2D"),
              std::string::npos);
}

TEST(BuilderManifest, TargetsAndStagesAreNormalised) {
    TTempDir dir;
    WriteFile(dir / "m.toml", R"([product]
name = "X"
[[file]]
source = "a.ex4"
target = "{MetaTrader}/MQL4/Experts/a.ex4"
[[run]]
path = 'C:\Tools\check.exe'
title = "T"
stage = "wizard-close"
)");
    const TManifest manifest = LoadManifest((dir / "m.toml").string());
    EXPECT_EQ(manifest.Files.at(0).Target.Value, "{MetaTrader}\\MQL4\\Experts\\a.ex4");
    EXPECT_EQ(manifest.Runs.at(0).Stage, 3);
    EXPECT_EQ(manifest.Runs.at(0).Path.Line, 7);
}

TEST(BuilderManifest, NonAsciiTextKeepsItsValueInEveryKindOfString) {
    // The parser is handed escapes instead of these characters; the values must not change.
    TTempDir dir;
    WriteFile(dir / "m.toml", "# Kommentar äöü\n"
                              "[product]\n"
                              "name = \"Café ü\" # ß\n"
                              "contact_email = 'Ça \\ \"x\"'\n"
                              "address = '''Straße\nKöln'''\n"
                              "contact_name = \"\"\"Zoë \\\n   Ñ\"\"\"\n"
                              "website = 'plain \\ ascii'\n");
    const TManifest manifest = LoadManifest((dir / "m.toml").string());
    EXPECT_EQ(manifest.ProductName.Value, "Café ü");
    EXPECT_EQ(manifest.ProductName.Line, 3);
    EXPECT_EQ(manifest.ContactEmail.Value, "Ça \\ \"x\"");
    EXPECT_EQ(manifest.Address.Value, "Straße\nKöln");
    EXPECT_EQ(manifest.ContactName.Value, "Zoë Ñ");
    EXPECT_EQ(manifest.ContactName.Line, 7);
    EXPECT_EQ(manifest.Website.Value, "plain \\ ascii");
}

// One run reports every mistake, of the structure and of the sources, each as FILE:LINE, with
// control characters escaped and a hint where a TOML escape made one.
TEST(BuilderManifest, CheckReportsEveryMistakeInOneRun) {
    TTempDir dir;
    WriteFile(dir / "m.toml", R"([product]
name = "X"
publsher = "P"
build = -1
[documents]
license = "gone.rtf"
[[file]]
source = "gone.ex4"
target = '{app}\gone.ex4'
[[file]]
source = "a.ex4"
target = "{app}\tools\bin.ex4"
[[run]]
path = '{windir}\x.exe'
title = "T"
stage = 9
)");
    const std::string m = (dir / "m.toml").string();
    std::string out, err;
    EXPECT_EQ(kotest::RunKosetup({"check", m}, out, err), 1);
    const std::string expected[] = {
        m + ":3: unknown key \"product.publsher\"; did you mean \"publisher\"?\n",
        m + ":4: field \"product.build\" must lie between 0 and 2147483647\n",
        m + ":6: field \"documents.license\": cannot open \"" + (dir / "gone.rtf").string() +
            "\": there is no such file\n",
        m + ":8: source file \"" + (dir / "gone.ex4").string() + "\" not found\n",
        m + ":12: field \"file.target\": path \"{app}\\tools\\x08in.ex4\" holds a control "
            "character "
            "(in a double-quoted TOML string a backslash starts an escape",
        m + ":16: field \"run.stage\" must be 0 to 3",
        "kosetup: 6 mistakes found\n"};
    size_t at = 0;
    for (const std::string& line : expected) {
        const size_t found = err.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\nin\n" << err;
        at = found + line.size();
    }
    EXPECT_EQ(kotest::RunKosetup({"check", (dir / "none.toml").string()}, out, err), 1);
    EXPECT_EQ(err, (dir / "none.toml").string() +
                       ": cannot open the manifest: there is no such file\nkosetup: 1 mistake "
                       "found\n");
    EXPECT_EQ(kotest::RunKosetup({"check", (kotest::Sample / "product.toml").string()}, out, err),
              0)
        << err;
    EXPECT_NE(out.find(": OK: 9 files, 1 run item"), std::string::npos) << out;
}

// ** walks the tree and keeps its folders under the target; hidden files and folders, Thumbs.db
// and desktop.ini stay out unless named; exclude takes names anywhere or places below the base.
TEST(BuilderManifest, PatternsRecurseSkipClutterAndExclude) {
    TTempDir dir;
    for (const char* name :
         {"src/Experts/a.mq4", "src/Experts/a.ex4", "src/Experts/Thumbs.db",
          "src/Indicators/Sub/b.mq4", "src/c.mq4", "src/._c.mq4", "src/.DS_Store", "src/.git/x.mq4",
          "src/Tests/t.mq4", "src/Experts/desktop.ini", "src/Experts/old.bak"})
        WriteFile(dir / name, std::string("x"));
    WriteFile(dir / "m.toml", R"([product]
name = "X"
[[file]]
source = "src/**/*.mq4"
target = '{metatrader}\MQL4\'
exclude = ["Tests"]
[[file]]
source = "src/Experts/*"
target = '{app}\'
exclude = "*.bak"
[[file]]
source = "src/.DS_Store"
target = '{app}\keep\'
)");
    TManifest manifest = LoadManifest((dir / "m.toml").string());
    std::vector<std::string> warnings;
    std::vector<std::string> paths;
    for (const TPackageFile& file : ResolveManifest(manifest, {}, warnings).Files)
        paths.push_back(file.Path);
    EXPECT_EQ(paths, std::vector<std::string>({"{metatrader}\\MQL4\\Experts\\a.mq4",
                                               "{metatrader}\\MQL4\\Indicators\\Sub\\b.mq4",
                                               "{metatrader}\\MQL4\\c.mq4", "{app}\\a.ex4",
                                               "{app}\\a.mq4", "{app}\\keep\\.DS_Store"}));
}

// Names found by a pattern are legal on Linux but would be read by Windows as structure: each is
// refused with the file it came from, a folder found by ** as much as a file name, and the
// files with sound names stay.
TEST(BuilderManifest, PatternNamesThatWindowsReadsAsStructureAreRefused) {
    TTempDir dir;
    const std::vector<std::string> bad = {"a\\..\\..\\Windows\\System32\\evil.dll", "a:b.mqh",
                                          "aux.mqh", "dot.mqh.", "blank.mqh "};
    for (const std::string& name : bad)
        WriteFile(dir / "src" / name, std::string("x"));
    WriteFile(dir / "src" / "x\\..\\..\\up" / "deep.mqh", std::string("x"));
    WriteFile(dir / "src" / "good.mqh", std::string("x"));
    const std::string message = Problem(dir, std::string(Product) + R"([[file]]
source = "src/**/*"
target = '{metatrader}\MQL4\Include\'
)");
    for (const std::string& name : bad)
        EXPECT_NE(message.find("m.toml:4: source file \"" + (dir / "src" / name).string() +
                               "\" would be installed as \"{metatrader}\\MQL4\\Include\\" + name +
                               "\", which "),
                  std::string::npos)
            << name << "\n"
            << message;
    EXPECT_NE(message.find("x\\..\\..\\up\\deep.mqh\", which holds a \"..\" component"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("evil.dll\", which holds a \"..\" component"), std::string::npos);
    EXPECT_NE(message.find("a:b.mqh\", which holds a character"), std::string::npos);
    EXPECT_EQ(message.find("good.mqh"), std::string::npos) << message;

    std::filesystem::remove_all(dir / "src");
    WriteFile(dir / "src" / "good.mqh", std::string("x"));
    EXPECT_EQ(Problem(dir, std::string(Product) + R"([[file]]
source = "src/**/*"
target = '{metatrader}\MQL4\Include\'
)"),
              "");
}

// Decomposed accents (as macOS writes them) are composed first; code page 1258 takes a
// Vietnamese letter as its base and tone mark; a UTF-8 document becomes RTF escapes.
TEST(BuilderManifest, TextsAreNormalisedAndUtf8DocumentsConverted) {
    TTempDir dir;
    WriteFile(dir / "license.rtf", std::string("\xEF\xBB\xBF{\\rtf1 Cafe\xCC\x81 \xE4\xB8\xAD}"));
    WriteFile(dir / "m.toml", "[product]\nname = \"Cafe\u0301\"\n[documents]\nlicense = "
                              "\"license.rtf\"\n");
    std::vector<std::string> warnings;
    TPackageContent content =
        ResolveManifest(LoadManifest((dir / "m.toml").string()), {}, warnings);
    EXPECT_EQ(content.ProductName, "Caf\xE9");
    EXPECT_EQ(content.LicenseText, "{\\rtf1 Caf\\'e9 \\u20013?}");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("m.toml:4: warning: field \"documents.license\": "),
              std::string::npos);
    EXPECT_NE(warnings[0].find("was saved as UTF-8 with a byte-order mark"), std::string::npos);

    WriteFile(dir / "m.toml", "codepage = 1258\n[product]\nname = \"Vi\u1EC7t\"\n");
    content = ResolveManifest(LoadManifest((dir / "m.toml").string()), {}, warnings);
    EXPECT_EQ(content.ProductName, "Vi\xEA\xF2t");
}

// Every carried language but English goes in by default; "languages" limits and orders them, a
// vendor's file adds one (a missing text falls back to English) or replaces a carried one, and
// [documents.<tag>] gives that language its own documents. Mistakes name their own file's line.
TEST(BuilderManifest, LanguagesTranslationsAndTheirDocuments) {
    TTempDir dir;
    std::vector<uint8_t> en =
        kotest::ReadFile(std::filesystem::path(KOSETUP_SOURCE_DIR) / "languages/en.toml");
    std::string polish(en.begin(), en.end());
    polish.replace(polish.find("tag = \"en\""), 10, "tag = \"PL\"");
    polish.replace(polish.find("name = \"English\""), 16, "name = \"Polski\"");
    polish.erase(polish.find("finish = \"Finish\"\n"), 18); // line 33: those below move up
    WriteFile(dir / "pl.toml", polish);
    WriteFile(dir / "lizenz.rtf", std::string("{\\rtf1 Lizenz}"));
    WriteFile(dir / "m.toml", std::string(Product) + "[documents.de]\nlicense = \"lizenz.rtf\"\n");
    std::vector<std::string> warnings;
    TPackageContent content =
        ResolveManifest(LoadManifest((dir / "m.toml").string()), {}, warnings);
    std::string tags;
    for (const TKoLanguage& language : content.Languages)
        tags += language.Tag + " ";
    EXPECT_EQ(tags, "de es fr it ja ko pt ru tr zh ");
    EXPECT_EQ(content.Languages[0].LicenseText, "{\\rtf1 Lizenz}");
    EXPECT_EQ(content.Languages[0].Texts.at("button.next"), "Weiter >");

    WriteFile(dir / "m.toml", "languages = ['pl', 'ru', 'en', 'RU']\ntranslations = ['pl.toml']\n" +
                                  std::string(Product));
    content = ResolveManifest(LoadManifest((dir / "m.toml").string()), {}, warnings);
    ASSERT_EQ(content.Languages.size(), 2u);
    EXPECT_EQ(content.Languages[0].Tag, "pl");
    EXPECT_EQ(content.Languages[0].Name, "Polski");
    EXPECT_EQ(content.Languages[0].Texts.at("button.finish"), "Finish");
    EXPECT_EQ(content.Languages[1].Tag, "ru");
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings.back().find(
                  "pl.toml: warning: 1 text missing, shown in English: \"button.finish\""),
              std::string::npos)
        << warnings.back();

    std::string bad = polish;
    bad.replace(bad.find("prev = "), 7, "perv = ");
    bad.replace(bad.find("{version_name} Installation"), 14, "{version}");
    WriteFile(dir / "bad.toml", bad);
    const std::string problem =
        Problem(dir, "languages = ['de',\n  'xx']\ntranslations = ['bad.toml']\n" +
                         std::string(Product) + "[documents.fr]\nlicense = 'lizenz.rtf'\n");
    const std::string badName = (dir / "bad.toml").string();
    for (const std::string& expected :
         {std::string("m.toml:2: field \"languages\": unknown language \"xx\"; known are en, de, "),
          badName + ":30: unknown key \"button.perv\"",
          badName + ":38: \"page.welcome.install_title\" uses {version}, which the wizard",
          badName + ":38: \"page.welcome.install_title\" lacks {version_name}",
          std::string("m.toml:6: table \"documents.fr\" names a language the package does not "
                      "carry; it carries en, de")})
        EXPECT_NE(problem.find(expected), std::string::npos) << expected << "\n" << problem;
}
