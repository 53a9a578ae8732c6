#include "base/errors.h"
#include "base/log_file.h"
#include "startup/command_line.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

using namespace ko;

namespace {

using TArgs = std::vector<std::string>;

TCommandLine Parse(const std::string& line, bool uninstall = false) {
    return ParseCommandLine(SplitCommandLine(line), uninstall);
}

} // namespace

TEST(CommandLine, QuotesGroupWhereverTheyStandAndTheProgramNameIsDropped) {
    EXPECT_EQ(SplitCommandLine("\"C:\\My Files\\Setup.exe\" /S  \t/T=\"C:\\A B\\\" "
                               "\"/LOG=C:\\x y.txt\" \"\" /x\"y z"),
              (TArgs{"/S", "/T=C:\\A B\\", "/LOG=C:\\x y.txt", "", "/xy z"}));
    EXPECT_EQ(SplitCommandLine("Setup.exe"), TArgs{});
    EXPECT_EQ(SplitCommandLine(""), TArgs{});
}

TEST(CommandLine, SwitchesInAnyCaseWithEitherLeadCharacter) {
    const TCommandLine c =
        Parse("Setup.exe -s /t=C:\\One\\ /T=\"D:\\Two Words\" -T=E:\\ /log=a.txt /LOG=b.txt");
    EXPECT_EQ(c.Error, "");
    EXPECT_TRUE(c.Silent);
    EXPECT_FALSE(c.Help);
    EXPECT_EQ(c.Terminals, (TArgs{"C:\\One", "D:\\Two Words", "E:\\"}));
    EXPECT_EQ(c.LogFile, "b.txt");
    EXPECT_TRUE(Parse("Setup.exe /?").Help);
    EXPECT_TRUE(Parse("Uninstall.exe -HELP", true).Help);
    EXPECT_EQ(Parse("Uninstall.exe /S /LOG=u.txt", true).Error, "");
}

TEST(CommandLine, FaultsNameTheSwitchAndParsingGoesOn) {
    const TCommandLine unknown = Parse("Setup.exe /Quiet /T /S /LOG=x.txt");
    EXPECT_EQ(unknown.Error, "Unknown switch \"/Quiet\". The accepted switches are /S, "
                             "/T=FOLDER, /LOG=FILE, /LANG=LANGUAGE, /? and /help.");
    EXPECT_TRUE(unknown.Silent);
    EXPECT_EQ(unknown.LogFile, "x.txt");
    EXPECT_EQ(Parse("Setup.exe /S /t").Error, "The switch \"/t\" needs a value: /t=FOLDER.");
    EXPECT_EQ(Parse("Setup.exe /S /LOG=\"\"").Error,
              "The switch \"/LOG\" needs a value: /LOG=FILE.");
    EXPECT_EQ(Parse("Setup.exe /S=1").Error, "The switch \"/S\" takes no value.");
    EXPECT_EQ(Parse("Setup.exe /T=C:\\MT4").Error, "The switch /T works only together with /S.");
    EXPECT_EQ(Parse("Setup.exe C:\\MT4").Error, "Unknown argument \"C:\\MT4\". The accepted "
                                                "switches are /S, /T=FOLDER, /LOG=FILE, "
                                                "/LANG=LANGUAGE, /? and /help.");
    EXPECT_EQ(Parse("Uninstall.exe /S /T=C:\\MT4", true).Error,
              "Unknown switch \"/T\". The accepted switches are /S, /LOG=FILE, /LANG=LANGUAGE, "
              "/? and /help.");
}

// /LANG in both programs, its fault and the faults in the language of the user's choice, where
// the log keeps them English.
TEST(CommandLine, LanguageSwitchAndFaultsInTheChosenLanguage) {
    EXPECT_EQ(Parse("Setup.exe /lang=pt-BR /S").Language, "pt-BR");
    EXPECT_EQ(Parse("Uninstall.exe -LANG=de", true).Language, "de");
    const TCommandLine empty = Parse("Uninstall.exe /LANG=", true);
    EXPECT_EQ(empty.Error, "The switch \"/LANG\" needs a value: /LANG=LANGUAGE.");
    const std::map<std::string, std::string> translation = {
        {"command_line.unknown_switch", "Unbekannter Schalter „{switch}“. Zulässig: {switches}."},
        {"command_line.switches_uninstall", "/S und /LANG=SPRACHE"}};
    const ko::TUiTexts german("de", &translation);
    const TCommandLine unknown = Parse("Uninstall.exe /Q", true);
    EXPECT_EQ(ErrorText(unknown, true, german),
              "Unbekannter Schalter „/Q“. Zulässig: /S und /LANG=SPRACHE.");
    EXPECT_EQ(unknown.Error.substr(0, 15), "Unknown switch ");
    EXPECT_EQ(ErrorText(empty, true, german), empty.Error);
    EXPECT_EQ(ErrorText(Parse("Setup.exe"), false, german), "");
    EXPECT_EQ(UsageText(true, german).substr(0, 14), "Uninstall.exe ");
}

TEST(LogFile, AppendsOneLinePerEntryWithCrLf) {
    kotest::TTempDir dir;
    const std::string path = (dir / "run.log").string();
    TLogFile{path}.WriteLine("Copying file C:\\\xe9t\xe9 ...");
    {
        TLogFile log(path);
        log.WriteLine("Cannot create file \"x\". Access denied.\r\nSecond\rThird\nFourth");
        log.WriteLine("Done.");
    }
    const std::vector<uint8_t> bytes = kotest::ReadFile(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "Copying file C:\\\xe9t\xe9 ...\r\n"
              "Cannot create file \"x\". Access denied. Second Third Fourth\r\nDone.\r\n");
    EXPECT_THROW(TLogFile{(dir / "missing/run.log").string()}, EFOpenError);
}
