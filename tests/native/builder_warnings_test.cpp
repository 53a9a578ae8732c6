#include "builder/build_error.h"
#include "builder/manifest.h"
#include "builder/product.h"
#include "package/pe_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace ko;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

const char* const Product = "[product]\nname = \"X\"\n";

// The warnings of the manifest Text written into Dir, or the mistakes when it has any.
std::string Resolve(const TTempDir& dir, const std::string& text, std::string* options = nullptr) {
    WriteFile(dir / "m.toml", text);
    std::vector<std::string> warnings;
    try {
        const TPackageContent content =
            ResolveManifest(LoadManifest((dir / "m.toml").string()), {}, warnings);
        if (options)
            *options = content.ExpertOptions;
    } catch (const EBuildError& error) {
        return error.what();
    }
    std::string all;
    for (const std::string& warning : warnings)
        all += warning + "\n";
    return all;
}

// With Sign, the file is marked to be signed by the build, which silences the warning about
// unsigned programs and DLLs for tests about another one.
std::string FileTable(const std::string& source, const std::string& target, bool sign = false) {
    return "[[file]]\nsource = \"" + source + "\"\ntarget = '" + target + "'\n" +
           (sign ? "sign = true\n" : "");
}

} // namespace

// A DLL's imports against what Windows and the package provide: Windows' own, API sets and the
// look-alikes of the runtime's names pass; the Visual C++ runtime is named as such, any other
// missing DLL as missing, and a DLL the package ships (in any letter case, anywhere) passes.
TEST(BuilderWarnings, DllImportsNeitherWindowsNorShipped) {
    struct TCase {
        std::vector<std::string> Imports;
        std::vector<std::string> Expected; // empty: no warning
    } cases[] = {
        {{"KERNEL32.dll", "api-ms-win-crt-runtime-l1-1-0.dll", "msvcrt.dll", "msvcp_win.dll",
          "ucrtbase.dll", "WS2_32.dll"},
         {}},
        {{"KERNEL32.dll", "VCRUNTIME140.dll"},
         {"imports VCRUNTIME140.dll of the Visual C++ runtime", "error 126"}},
        {{"MSVCP140.dll", "msvcr120.dll", "helper.dll", "libgcc_s_dw2-1.dll"},
         {"MSVCP140.dll and msvcr120.dll of the Visual C++ runtime",
          "helper.dll and libgcc_s_dw2-1.dll, which neither Windows nor the package provides",
          "without them sees error 126"}},
        {{"Shipped.DLL"}, {}},
        {{"shipped2.dll"}, {"shipped2.dll, which neither", "without it sees"}},
    };
    for (const TCase& test : cases) {
        TTempDir dir;
        WriteFile(dir / "x.dll", kotest::MakeDll(PeMachineI386, test.Imports));
        WriteFile(dir / "shipped.dll", kotest::MakeDll(PeMachineI386, {"KERNEL32.dll"}));
        const std::string warnings =
            Resolve(dir, std::string(Product) +
                             FileTable("x.dll", "{metatrader}\\MQL4\\Libraries\\x.dll", true) +
                             FileTable("shipped.dll", "{app}\\shipped.dll", true));
        const std::string line = (dir / "m.toml").string() + ":4: warning: source file";
        if (test.Expected.empty())
            EXPECT_EQ(warnings, "") << test.Imports.back();
        else
            EXPECT_EQ(warnings.rfind(line, 0), 0u) << warnings;
        for (const std::string& part : test.Expected)
            EXPECT_NE(warnings.find(part), std::string::npos) << part << "\nin\n" << warnings;
    }
}

// A DLL under {metatrader} goes to both platforms unless it lies in MQL4\ or MQL5\: one that only
// one platform loads is a warning naming that platform; in the platform's own folder, as a
// program, or outside the terminals it is none.
TEST(BuilderWarnings, DllForBothPlatformsThatOnlyOneLoads) {
    struct TCase {
        uint16_t Machine;
        bool Dll;
        std::string Target, Expected;
    } cases[] = {
        {PeMachineI386, true, "{metatrader}\\Libraries\\x.dll",
         "Libraries\\x.dll is a 32-bit DLL that goes to the terminals of MetaTrader 4 and 5 "
         "alike, but only MetaTrader 4 can load it (put it under MQL4\\Libraries\\)"},
        {PeMachineAmd64, true, "{metatrader}\\Libraries\\x.dll",
         "Libraries\\x.dll is a 64-bit DLL that goes to the terminals of MetaTrader 4 and 5 "
         "alike, but only "
         "MetaTrader 5 can load it (put it under MQL5\\Libraries\\)"},
        {PeMachineI386, true, "{metatrader}\\MQL4\\Libraries\\x.dll", ""},
        {PeMachineAmd64, true, "{metatrader}\\MQL5\\Libraries\\x.dll", ""},
        {PeMachineI386, false, "{metatrader}\\Libraries\\x.dll", ""},
        {PeMachineAmd64, true, "{app}\\x.dll", ""},
    };
    for (const TCase& test : cases) {
        TTempDir dir;
        WriteFile(dir / "x.dll", kotest::MakeDll(test.Machine, {"KERNEL32.dll"}, test.Dll));
        const std::string warnings =
            Resolve(dir, std::string(Product) + FileTable("x.dll", test.Target, true));
        if (test.Expected.empty())
            EXPECT_EQ(warnings, "") << test.Target;
        else
            EXPECT_NE(warnings.find(":4: warning: source file \"" + (dir / "x.dll").string() +
                                    "\": " + test.Expected),
                      std::string::npos)
                << warnings;
    }
}

// A misspelt key or table names the known one it is nearest to, written as the manifest writes
// it; a key near none, or equally near two, gets no guess.
TEST(BuilderWarnings, UnknownKeySuggestsTheNearest) {
    struct TCase {
        std::string Text, Expected;
    } cases[] = {
        {std::string(Product) + "[documents]\nlicence = \"l.rtf\"\n",
         "m.toml:4: unknown key \"documents.licence\"; did you mean \"license\"?"},
        {std::string(Product) + "verison_minor = 2\n",
         "m.toml:3: unknown key \"product.verison_minor\"; did you mean \"version_minor\"?"},
        {std::string(Product) + "Publisher = \"P\"\n", "did you mean \"publisher\"?"},
        {std::string(Product) + "[[files]]\nsource = \"a\"\n",
         "m.toml:3: unknown key \"files\"; did you mean [[file]]?"},
        {"[prodcut]\nname = \"X\"\n", "m.toml:1: unknown key \"prodcut\"; did you mean [product]?"},
        {std::string(Product) + "[metatrader]\nallow_dll_import = true\n",
         "did you mean \"allow_dll_imports\"?"},
        {std::string(Product) + "colour = 1\n", "m.toml:3: unknown key \"product.colour\"\n"},
    };
    for (const TCase& test : cases) {
        TTempDir dir;
        const std::string message = Resolve(dir, test.Text) + "\n";
        EXPECT_NE(message.find(test.Expected), std::string::npos) << message;
    }
}

// The TOML parser's escape-sequence error gains the hint to write Windows paths in single quotes;
// its other errors do not.
TEST(BuilderWarnings, EscapeSequenceErrorHintsAtSingleQuotes) {
    TTempDir dir;
    const std::string escape =
        Resolve(dir, std::string(Product) + FileTable("a", "x") + "shortcut = \"a\\Mb\"\n");
    EXPECT_NE(escape.find("escape sequence"), std::string::npos) << escape;
    EXPECT_NE(escape.find("write Windows paths in single quotes"), std::string::npos) << escape;
    const std::string other = Resolve(dir, "[product\nname = \"X\"\n");
    EXPECT_EQ(other.find("single quotes"), std::string::npos) << other;
}

// Expert options by name fill the positions of the string: true "1", false "0", left out blank;
// beside the string they fill its blank positions only, and a position both set is a mistake.
TEST(BuilderWarnings, ExpertOptionsByName) {
    struct TCase {
        std::string Keys, Expected; // Expected: the options string, or a mistake
    } cases[] = {
        {"allow_dll_imports = true\n", "     1"},
        {"allow_dll_imports = false\n", "     0"},
        {"enable_expert_advisors = true\nallow_external_experts_imports = false\n", "1      0"},
        {"disable_on_account_change = true\ndisable_on_profile_change = true\n"
         "allow_live_trading = true\nask_manual_confirmation = false\n"
         "confirm_dll_function_calls = true\n",
         " 1110 1"},
        {"expert_options = \"1 1\"\nallow_dll_imports = true\n", "1 1  1"},
        {"expert_options = \"1 \"\ndisable_on_account_change = false\n", "10"},
        {"expert_options = \"1 1 1\"\n", "1 1 1"},
        {"expert_options = \"     0\"\nallow_dll_imports = false\n",
         "m.toml:5: field \"metatrader.allow_dll_imports\" sets the option that position 6 of "
         "\"metatrader.expert_options\" on line 4 sets already"},
        {"expert_options = \"1\"\nenable_expert_advisors = true\n", "position 1 of"},
        {"allow_dll_imports = 1\n", "m.toml:4: field \"metatrader.allow_dll_imports\" must be "
                                    "true or false"},
    };
    for (const TCase& test : cases) {
        TTempDir dir;
        std::string options = "(none)";
        const std::string message =
            Resolve(dir, std::string(Product) + "[metatrader]\n" + test.Keys, &options);
        if (message.empty())
            EXPECT_EQ(options, test.Expected) << test.Keys;
        else
            EXPECT_NE(message.find(test.Expected), std::string::npos) << message;
    }
}

// check and build end with what goes where: a file under {metatrader} outside the MQL4 and MQL5
// folders counts for both platforms, and places outside the terminals and the program folder show
// only when a file goes there.
TEST(BuilderWarnings, SummaryPerDestination) {
    TTempDir dir;
    WriteFile(dir / "a", std::string("12345"));
    WriteFile(dir / "b", std::string("1"));
    const std::string common = std::string(Product) +
                               FileTable("a", "{metatrader}\\MQL4\\Experts\\a.ex4") +
                               FileTable("a", "{metatrader}\\MQL4\\Experts\\b.ex4") +
                               FileTable("b", "{metatrader}\\Presets\\b.set");
    WriteFile(dir / "m.toml", common);
    std::string out, err;
    ASSERT_EQ(kotest::RunKosetup({"check", (dir / "m.toml").string()}, out, err), 0) << err;
    EXPECT_NE(out.find("\n  MetaTrader 4: 3 files, 11 bytes\n  MetaTrader 5: 1 file, 1 bytes\n"
                       "  program folder: none\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("elsewhere"), std::string::npos) << out;

    WriteFile(dir / "m.toml", std::string(Product) + FileTable("a", "{app}\\a.txt") +
                                  FileTable("b", "{desktop}\\b.txt"));
    WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    ASSERT_EQ(
        kotest::RunKosetup({"build", (dir / "m.toml").string(), "-o", (dir / "Setup.exe").string(),
                            "--stub", (dir / "stub.exe").string()},
                           out, err),
        0)
        << err;
    EXPECT_NE(out.find("\n  MetaTrader 4: none\n  MetaTrader 5: none\n  program folder: 1 file, 5 "
                       "bytes\n  elsewhere: 1 file, 1 bytes\n"),
              std::string::npos)
        << out;
}

// init offers the DLL option commented; uncommented, it sets the sixth position. check of the
// product's folder reads its product.toml; a folder without one is a mistake, not a crash.
TEST(BuilderWarnings, InitOffersAllowDllImportsAndCheckReadsAFolder) {
    TTempDir dir;
    std::string out, err;
    ASSERT_EQ(kotest::RunKosetup({"init", (dir / "p").string()}, out, err), 0) << err;
    const std::filesystem::path manifest = dir / "p/product.toml";
    const std::vector<uint8_t> bytes = kotest::ReadFile(manifest);
    std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find("# allow_dll_imports = true\n");
    ASSERT_NE(at, std::string::npos) << text;
    WriteFile(manifest, text.erase(at, 2));
    std::vector<std::string> warnings;
    EXPECT_EQ(ResolveManifest(LoadManifest(manifest.string()), {}, warnings).ExpertOptions,
              "     1");
    EXPECT_EQ(kotest::RunKosetup({"check", (dir / "p").string()}, out, err), 0) << err;
    EXPECT_EQ(out.rfind(manifest.string() + ": OK: ", 0), 0u) << out;
    std::filesystem::create_directory(dir / "empty");
    EXPECT_EQ(kotest::RunKosetup({"check", (dir / "empty").string()}, out, err), 1);
    EXPECT_NE(err.find((dir / "empty" / "product.toml").string() + ": cannot open"),
              std::string::npos)
        << err;
}

// "check --json" gives what "check" prints as data: a place (file, line, column) where the
// problem has one, null where it has none, the words "warning:" left to the array they are in;
// the counts only when the manifest would build; exit codes as "check".
TEST(BuilderWarnings, CheckJsonGivesProblemsAsData) {
    TTempDir dir;
    std::string out, err;
    WriteFile(dir / "x.dll", kotest::MakeDll(PeMachineI386, {"VCRUNTIME140.dll"}));
    WriteFile(dir / "product.toml",
              std::string(Product) + FileTable("x.dll", "{metatrader}\\MQL4\\Libraries\\x.dll"));
    ASSERT_EQ(kotest::RunKosetup({"check", "--json", dir.Path().string()}, out, err), 0) << err;
    const std::string manifest = (dir / "product.toml").string();
    std::string json = out;
    for (const std::string& expected :
         {std::string("\"format\": 1,"), std::string("\"ok\": true"), std::string("\"errors\": []"),
          "\"file\": \"" + manifest + "\"", std::string("\"line\": 4"),
          std::string("\"column\": null"), std::string("\"message\": \"source file"),
          std::string("\"files\": 1,"), std::string("\"destinations\": [")})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\nin\n" << json;
    EXPECT_EQ(json.find("warning:"), std::string::npos) << json;
    EXPECT_EQ(err, "");

    // A TOML mistake has a column; a file that is not there has no place at all.
    WriteFile(dir / "product.toml", std::string(Product) + "version_major = = 1\n");
    out.clear();
    ASSERT_EQ(kotest::RunKosetup({"check", "--json", dir.Path().string()}, out, err), 1);
    json = out;
    for (const std::string& expected :
         {std::string("\"ok\": false"), std::string("\"line\": 3,"), std::string("\"column\": "),
          std::string("\"warnings\": []"), std::string("\"files\": null")})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\nin\n" << json;
    EXPECT_EQ(json.find("\"column\": null"), std::string::npos) << json;
    out.clear();
    ASSERT_EQ(kotest::RunKosetup({"check", "--json", (dir / "none.toml").string()}, out, err), 1);
    json = out;
    EXPECT_NE(json.find("\"file\": null,\n      \"line\": null,\n      \"column\": null"),
              std::string::npos)
        << json;
}
