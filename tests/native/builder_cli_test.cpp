#include "base/codepage.h"
#include "builder/digest.h"
#include "builder/embedded_stub.h"
#include "package/ko_data.h"
#include "package/pe_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using kotest::RunKosetup;
using kotest::Sample;
using kotest::TTempDir;

namespace {

// Runs a shell command; returns its exit code and what it printed on stdout.
int RunCommand(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    out.clear();
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the built kosetup program.
int RunProgram(const std::string& arguments, std::string& out) {
    return RunCommand(std::string(KOSETUP_BINARY_DIR) + "/kosetup " + arguments + " 2>/dev/null",
                      out);
}

} // namespace

TEST(BuilderCli, ProgramHelpAndExitCodes) {
    std::string out;
    EXPECT_EQ(RunProgram("--help", out), 0);
    EXPECT_NE(out.find("Usage: kosetup COMMAND"), std::string::npos);
    EXPECT_EQ(RunProgram("build --help", out), 0);
    EXPECT_NE(out.find("[[file]]"), std::string::npos);
    EXPECT_EQ(RunProgram("", out), 2);
    EXPECT_EQ(RunProgram("frobnicate", out), 2);
    EXPECT_EQ(RunProgram("list", out), 2);
    EXPECT_EQ(RunProgram("verify --bogus x", out), 2);
    EXPECT_EQ(RunProgram("list /nonexistent/Setup.exe", out), 1);

    TTempDir dir;
    kotest::WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    const std::string build = "build '" + (Sample / "product.toml").string() + "' -o '" +
                              (dir / "Setup.exe").string() + "' --stub '" +
                              (dir / "stub.exe").string() + "'";
    EXPECT_EQ(RunProgram(build + " --key 00112233", out), 2);
    EXPECT_EQ(RunProgram(build, out), 0);
    EXPECT_NE(out.find("9 files, 1 run item"), std::string::npos) << out;
    EXPECT_EQ(RunProgram("verify '" + (dir / "Setup.exe").string() + "'", out), 0);
    EXPECT_EQ(out.rfind("OK: ", 0), 0u) << out;
}

TEST(BuilderCli, UsageErrorsPointAtHelp) {
    std::string out, err;
    EXPECT_EQ(RunKosetup({"build", "m.toml"}, out, err), 2);
    EXPECT_EQ(err, "kosetup: missing -o SETUP.EXE\nRun \"kosetup build --help\" for usage.\n");
    EXPECT_EQ(RunKosetup({"list", "x", "--codepage", "1259"}, out, err), 2);
    EXPECT_NE(err.find("--codepage must be one of 874, 932, 936, 949, 950, 1250"),
              std::string::npos);
    EXPECT_EQ(RunKosetup({"build", "--key=zz", "m.toml", "-o", "x"}, out, err), 2);
    EXPECT_NE(err.find("32 hex digits"), std::string::npos);
}

// A large build reports on stderr when each file starts and as a large one goes on, up to 100 %;
// --quiet and a small build say nothing there.
TEST(BuilderCli, ProgressForLargeInputs) {
    TTempDir dir;
    kotest::WriteFile(dir / "big.bin", std::string(9 << 20, 'x'));
    kotest::WriteFile(dir / "small.bin", std::string("x"));
    kotest::WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    kotest::WriteFile(dir / "m.toml", "[product]\nname = \"X\"\n[[file]]\nsource = \"*.bin\"\n"
                                      "target = '{app}\\'\n");
    std::string out, err;
    std::vector<std::string> build = {"build",  (dir / "m.toml").string(),
                                      "-o",     (dir / "Setup.exe").string(),
                                      "--stub", (dir / "stub.exe").string()};
    ASSERT_EQ(RunKosetup(build, out, err), 0) << err;
    const std::string big = (dir / "big.bin").string(), small = (dir / "small.bin").string();
    EXPECT_EQ(err.rfind("[  0%] " + big + "\n[ 11%] " + big + "\n", 0), 0u) << err;
    EXPECT_NE(
        err.find("[ 88%] " + big + "\n[ 99%] " + big + "\n[ 99%] " + small + "\n[100%] done\n"),
        std::string::npos)
        << err;
    build.push_back("--quiet");
    ASSERT_EQ(RunKosetup(build, out, err), 0) << err;
    EXPECT_EQ(err, "");
    build.pop_back();
    std::filesystem::resize_file(dir / "big.bin", 1000);
    ASSERT_EQ(RunKosetup(build, out, err), 0) << err;
    EXPECT_EQ(err, "");
}

// An uninstaller without a code-page note shows its texts in the code page --codepage names.
TEST(BuilderCli, ListShowsAnUninstallLogInOrder) {
    TTempDir dir;
    ko::TKoInstall install;
    install.ProductName = "\xD1\xEE\xE2\xE5\xF2\xED\xE8\xEA"; // "Советник" in code page 1251
    const std::vector<ko::TUninstallEntry> entries = {{"C:\\MT4\\MQL4\\Experts\\a.ex4", false},
                                                      {"C:\\Program Files\\X", true},
                                                      {"C:\\Program Files\\X\\Manual.pdf", false}};
    ko::TMemoryStream file(kotest::FakeStub());
    file.Seek(0, ko::TSeekOrigin::End);
    install.AppendUninstallLog(file, entries);
    kotest::WriteFile(dir / "Uninstall.exe", file.Data());

    std::string out, err;
    ASSERT_EQ(
        RunKosetup({"list", (dir / "Uninstall.exe").string(), "--codepage", "1251"}, out, err), 0)
        << err;
    EXPECT_NE(out.find("\"Советник\""), std::string::npos) << out;
    const size_t first = out.find("file   C:\\MT4\\MQL4\\Experts\\a.ex4");
    const size_t folder = out.find("folder C:\\Program Files\\X\n");
    const size_t last = out.find("file   C:\\Program Files\\X\\Manual.pdf");
    EXPECT_TRUE(first < folder && folder < last && last != std::string::npos) << out;
    EXPECT_EQ(RunKosetup({"verify", (dir / "Uninstall.exe").string()}, out, err), 0);

    // The installer's log records its code page, and keeps in UTF-8 what that cannot hold; the
    // language the install spoke and the translations are listed by tag.
    install.CodePage = 1251;
    install.ProductName = "Советник";
    install.Language = "ru";
    install.Languages = {{"ru", "Русский", {}, "", "", ""}, {"ja", "日本語", {}, "", "", ""}};
    const ko::TTextCodec codec = ko::TableCodec(1252);
    ko::TMemoryStream wide(kotest::FakeStub());
    wide.Seek(0, ko::TSeekOrigin::End);
    install.AppendUninstallLog(wide, {{"C:\\Users\\王伟\\MT4", true}}, &codec);
    kotest::WriteFile(dir / "Uninstall.exe", wide.Data());
    ASSERT_EQ(RunKosetup({"list", (dir / "Uninstall.exe").string()}, out, err), 0) << err;
    EXPECT_NE(out.find("Code page       1251\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Language        ru\nLanguages       en, ru, ja\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("\"Советник\""), std::string::npos) << out;
    EXPECT_NE(out.find("folder C:\\Users\\王伟\\MT4\n"), std::string::npos) << out;
    ASSERT_EQ(RunKosetup({"list", (dir / "Uninstall.exe").string(), "--json"}, out, err), 0);
    EXPECT_NE(out.find("C:\\\\Users\\\\王伟\\\\MT4"), std::string::npos) << out;
    EXPECT_NE(out.find("\"language\": \"ru\""), std::string::npos) << out;
    // The listing names its format; what the log leaves out (the web site, the publisher) is
    // null, never an empty text, while what it holds stays a text.
    EXPECT_EQ(out.rfind("{\n  \"format\": 1,", 0), 0u) << out;
    EXPECT_NE(out.find("\"website\": null"), std::string::npos) << out;
    EXPECT_EQ(out.find("\"\""), std::string::npos) << out;
    // Written on a system with the UTF-8 option from a package without a code page of its own.
    install.CodePage = ko::Utf8CodePage;
    ko::TMemoryStream utf8(kotest::FakeStub());
    utf8.Seek(0, ko::TSeekOrigin::End);
    install.AppendUninstallLog(utf8, {{"C:\\Users\\王伟\\MT4", true}});
    kotest::WriteFile(dir / "Uninstall.exe", utf8.Data());
    ASSERT_EQ(RunKosetup({"list", (dir / "Uninstall.exe").string()}, out, err), 0) << err;
    EXPECT_NE(out.find("Code page       65001\n"), std::string::npos) << out;
    EXPECT_NE(out.find("folder C:\\Users\\王伟\\MT4\n"), std::string::npos) << out;
}

// kosetup carries the stub of the Windows tree: --version names it by its SHA-256, and a build
// needs no --stub.
TEST(BuilderCli, CarriesItsStub) {
    const ko::TEmbeddedStub stub = ko::EmbeddedStub();
    if (stub.Size == 0)
        GTEST_SKIP() << "this kosetup was built before the stub";
    const std::vector<uint8_t> bytes(stub.Bytes, stub.Bytes + stub.Size);
    EXPECT_EQ(bytes, kotest::ReadFile(std::filesystem::path(KOSETUP_STUB_TREE) / "stub.exe"));
    ko::TSha256 sha;
    sha.Update(bytes.data(), bytes.size());
    const std::array<uint8_t, 32> digest = sha.Finish();
    std::string out;
    EXPECT_EQ(RunProgram("--version", out), 0);
    EXPECT_NE(out.find("SHA-256 " + ko::HexDigits(digest.data(), digest.size()) + "\n"),
              std::string::npos)
        << out;

    TTempDir dir;
    const std::string setup = "'" + (dir / "Setup.exe").string() + "'";
    EXPECT_EQ(RunProgram("build '" + (Sample / "product.toml").string() + "' -o " + setup, out), 0);
    EXPECT_EQ(RunProgram("verify " + setup, out), 0) << out;
}

// A new product builds at once, and init never writes over one.
TEST(BuilderCli, InitWritesAProductThatBuilds) {
    TTempDir dir;
    std::string out, err;
    ASSERT_EQ(RunKosetup({"init", (dir / "p").string()}, out, err), 0) << err;
    const std::string manifest = (dir / "p/product.toml").string();
    ASSERT_EQ(RunKosetup({"check", manifest}, out, err), 0) << err;
    EXPECT_NE(out.find("OK: 1 file, 0 run items"), std::string::npos) << out;
    kotest::BuildSetup(dir / "p/product.toml", dir / "Setup.exe");
    ko::TKoInstall install;
    install.LoadFromFile((dir / "Setup.exe").string());
    ASSERT_EQ(install.Files.size(), 1u);
    EXPECT_EQ(install.Files[0]->Path, "{metatrader}\\MQL4\\Experts\\My Expert Advisor.mq4");
    EXPECT_EQ(RunKosetup({"init", (dir / "p").string()}, out, err), 1);
    EXPECT_NE(err.find("exists already"), std::string::npos) << err;
}

// A product for both platforms starts with a placeholder for each, in the folder of its own
// platform, and builds at once; a platform init does not know is a usage error.
TEST(BuilderCli, InitStartsAProductForBothPlatforms) {
    TTempDir dir;
    std::string out, err;
    ASSERT_EQ(RunKosetup({"init", (dir / "p").string(), "--platforms", "MT5,mt4"}, out, err), 0)
        << err;
    kotest::BuildSetup(dir / "p/product.toml", dir / "Setup.exe");
    ko::TKoInstall install;
    install.LoadFromFile((dir / "Setup.exe").string());
    ASSERT_EQ(install.Files.size(), 2u);
    EXPECT_EQ(install.Files[0]->Path, "{metatrader}\\MQL4\\Experts\\My Expert Advisor.mq4");
    EXPECT_EQ(install.Files[1]->Path, "{metatrader}\\MQL5\\Experts\\My Expert Advisor.mq5");
    EXPECT_EQ(RunKosetup({"init", (dir / "q").string(), "--platforms", "mt4,mt6"}, out, err), 2);
    EXPECT_NE(err.find("--platforms takes mt4, mt5 or mt4,mt5"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir / "q"));
}

// A signing tool runs on the finished installer, which keeps its package; the program bytes an
// uninstaller copies from it lose the signature and get a matching checksum.
TEST(BuilderCli, SignCommandSignsTheInstaller) {
    const ko::TEmbeddedStub stub = ko::EmbeddedStub();
    if (stub.Size == 0)
        GTEST_SKIP() << "this kosetup was built before the stub";
    TTempDir dir;
    const std::string d = dir.Path().string();
    std::string out;
    ASSERT_EQ(
        RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Test -days 2 -keyout " + d +
                       "/k.pem -out " + d + "/c.pem 2>/dev/null",
                   out),
        0);
    const std::string build =
        "build '" + (Sample / "product.toml").string() + "' -o " + d + "/Setup.exe --sign-command ";
    ASSERT_EQ(RunProgram(build + "'osslsigncode sign -certs " + d + "/c.pem -key " + d +
                             "/k.pem -in {in} -out {out} >/dev/null'",
                         out),
              0);
    EXPECT_EQ(RunProgram("verify " + d + "/Setup.exe", out), 0) << out;
    EXPECT_EQ(RunProgram("extract " + d + "/Setup.exe " + d + "/x", out), 0) << out;
    const std::vector<uint8_t> signedFile = kotest::ReadFile(dir / "Setup.exe");
    const auto fields = ko::FindPeFields(signedFile.data(), stub.Size);
    ASSERT_TRUE(fields);
    EXPECT_NE(ko::GetLE32(&signedFile[fields->SecurityDirectory + 4]), 0u);

    ko::TMemoryStream copy(
        std::vector<uint8_t>(signedFile.begin(), signedFile.begin() + stub.Size));
    EXPECT_TRUE(ko::ClearSignature(copy));
    EXPECT_EQ(ko::GetLE32(&copy.Data()[fields->SecurityDirectory]), 0u);
    EXPECT_EQ(ko::GetLE32(&copy.Data()[fields->SecurityDirectory + 4]), 0u);
    EXPECT_FALSE(ko::ClearSignature(copy));
    // The signing tool itself finds no signature and the checksum it computes (it names a
    // mismatch as invalid).
    kotest::WriteFile(dir / "copy.exe", copy.Data());
    std::string report;
    RunCommand("osslsigncode verify -in " + d + "/copy.exe 2>&1", report);
    char sum[16];
    std::snprintf(sum, sizeof sum, "%08X", ko::GetLE32(&copy.Data()[fields->CheckSum]));
    EXPECT_NE(report.find("No signature found"), std::string::npos) << report;
    EXPECT_NE(report.find(std::string("PE checksum   : ") + sum + "\n"), std::string::npos)
        << report;
    EXPECT_EQ(report.find("invalid PE checksum"), std::string::npos) << report;

    EXPECT_EQ(RunProgram(build + "'false {in}'", out), 1);
    EXPECT_EQ(kotest::ReadFile(dir / "Setup.exe"), signedFile);
}
