#include "package/ko_data.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using kotest::RunKosetup;
using kotest::Sample;
using kotest::TTempDir;

namespace {

// Runs the built kosetup program; returns its exit code and what it printed on stdout.
int RunProgram(const std::string& arguments, std::string& out) {
    const std::string command =
        std::string(KOSETUP_BINARY_DIR) + "/kosetup " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    out.clear();
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    EXPECT_NE(out.find("6 files, 1 run item"), std::string::npos) << out;
    EXPECT_EQ(RunProgram("verify '" + (dir / "Setup.exe").string() + "'", out), 0);
    EXPECT_EQ(out.rfind("OK: ", 0), 0u) << out;
}

TEST(BuilderCli, UsageErrorsPointAtHelp) {
    std::string out, err;
    EXPECT_EQ(RunKosetup({"build", "m.toml"}, out, err), 2);
    EXPECT_EQ(err, "kosetup: missing -o SETUP.EXE\nRun \"kosetup build --help\" for usage.\n");
    EXPECT_EQ(RunKosetup({"list", "x", "--codepage", "1259"}, out, err), 2);
    EXPECT_NE(err.find("--codepage must be one of 874, 1250"), std::string::npos);
    EXPECT_EQ(RunKosetup({"build", "--key=zz", "m.toml", "-o", "x"}, out, err), 2);
    EXPECT_NE(err.find("32 hex digits"), std::string::npos);
}

// A large build reports a percentage line per file on stderr; a small one is quiet there.
TEST(BuilderCli, ProgressForLargeInputs) {
    TTempDir dir;
    kotest::WriteFile(dir / "big.bin", std::string(9 << 20, 'x'));
    kotest::WriteFile(dir / "small.bin", std::string("x"));
    kotest::WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    kotest::WriteFile(dir / "m.toml", "[product]\nname = \"X\"\n[[file]]\nsource = \"*.bin\"\n"
                                      "target = '{app}\\'\n");
    std::string out, err;
    const std::vector<std::string> build = {"build",  (dir / "m.toml").string(),
                                            "-o",     (dir / "Setup.exe").string(),
                                            "--stub", (dir / "stub.exe").string()};
    ASSERT_EQ(RunKosetup(build, out, err), 0) << err;
    EXPECT_NE(err.find("[  0%] " + (dir / "big.bin").string() + "\n[ 99%] " +
                       (dir / "small.bin").string() + "\n"),
              std::string::npos)
        << err;
    std::filesystem::resize_file(dir / "big.bin", 1000);
    ASSERT_EQ(RunKosetup(build, out, err), 0) << err;
    EXPECT_EQ(err, "");
}

// An uninstaller carries no code-page note; --codepage decides how its texts are shown.
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
}
