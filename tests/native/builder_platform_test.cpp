#include "builder/platform_files.h"
#include "package/pe_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

using kotest::SampleDll32;
using kotest::SampleDll64;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

// A manifest installing each source file under its target, one [[file]] table of three lines
// each, after two lines of product: the N-th file's source is on line 4 + 3 * N.
std::string Manifest(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string text = "[product]\nname = \"X\"\n";
    for (const auto& [source, target] : files)
        text += "[[file]]\nsource = \"" + source + "\"\ntarget = '{metatrader}\\" + target + "'\n";
    return text;
}

} // namespace

// A product for both platforms: each mistake of the kind terminals reject without a word names
// its line, its source file and where it belongs; the same files in their right places build.
TEST(BuilderPlatform, RefusesFilesOfTheOtherPlatform) {
    TTempDir dir;
    std::filesystem::copy_file(SampleDll32, dir / "x86.dll");
    std::filesystem::copy_file(SampleDll64, dir / "x64.dll");
    kotest::WriteFile(dir / "a.ex4", std::string("ex4"));
    kotest::WriteFile(dir / "a.mq5", std::string("mq5"));
    kotest::WriteFile(dir / "readme.txt", std::string("not a program"));
    kotest::WriteFile(dir / "wrong.toml", Manifest({
                                              {"x64.dll", "MQL4\\Libraries\\probe.dll"},
                                              {"x86.dll", "MQL5\\Libraries\\probe.dll"},
                                              {"a.ex4", "MQL5\\Experts\\a.ex4"},
                                              {"a.mq5", "MQL4\\Experts\\a.mq5"},
                                              {"readme.txt", "MQL4\\Libraries\\text.dll"},
                                              {"x86.dll", "Presets\\any.dll"},
                                          }));
    const std::string m = (dir / "wrong.toml").string();
    const auto source = [&](const char* name) {
        return "source file \"" + (dir / name).string() + "\": ";
    };
    kotest::WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    const std::string setup = (dir / "Setup.exe").string();
    std::string out, err;
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"check", m},
          std::vector<std::string>{"build", m, "-o", setup, "--stub",
                                   (dir / "stub.exe").string()}}) {
        EXPECT_EQ(kotest::RunKosetup(command, out, err), 1);
        const std::string expected[] = {
            m + ":4: " + source("x64.dll") +
                "MQL4\\Libraries\\probe.dll is a 64-bit DLL: MetaTrader 4 loads only 32-bit DLLs "
                "(put it under MQL5\\)\n",
            m + ":7: " + source("x86.dll") +
                "MQL5\\Libraries\\probe.dll is a 32-bit DLL: MetaTrader 5 loads only 64-bit DLLs "
                "(put it under MQL4\\)\n",
            m + ":10: " + source("a.ex4") +
                "MQL5\\Experts\\a.ex4 is a MetaTrader 4 program: MetaTrader 5 neither runs .ex4 "
                "files nor compiles .mq4 ones (put it under MQL4\\)\n",
            m + ":13: " + source("a.mq5") +
                "MQL4\\Experts\\a.mq5 is a MetaTrader 5 program: MetaTrader 4 neither runs .ex5 "
                "files nor compiles .mq5 ones (put it under MQL5\\)\n",
            m + ":16: " + source("readme.txt") +
                "MQL4\\Libraries\\text.dll is not a Windows DLL: MetaTrader 4 loads only 32-bit "
                "DLLs\n",
            "kosetup: 5 mistakes found\n"};
        size_t at = 0;
        for (const std::string& line : expected) {
            const size_t found = err.find(line, at);
            ASSERT_NE(found, std::string::npos) << command[0] << ": " << line << "\nin\n" << err;
            at = found + line.size();
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "Setup.exe"));
    }

    kotest::WriteFile(dir / "right.toml", Manifest({
                                              {"x86.dll", "MQL4\\Libraries\\probe.dll"},
                                              {"x64.dll", "mql5/Libraries/probe.dll"},
                                              {"a.ex4", "MQL4\\Experts\\a.ex4"},
                                              {"a.mq5", "MQL5\\Experts\\a.mq5"},
                                          }));
    EXPECT_EQ(kotest::RunKosetup({"check", (dir / "right.toml").string()}, out, err), 0) << err;
    EXPECT_NE(out.find("OK: 4 files"), std::string::npos) << out;
}

// Each half of each platform rule alone: a program of either platform in the other's folder, and
// in a platform's Libraries a DLL of the other bitness, of another processor, a program named as
// a DLL, or no image at all; beside each mistake the same file where it belongs passes.
TEST(BuilderPlatform, EachHalfOfEachRule) {
    TTempDir dir;
    const std::vector<std::string> imports = {"KERNEL32.dll", "USER32.dll"};
    WriteFile(dir / "x86.dll", kotest::MakeDll(ko::PeMachineI386, imports));
    WriteFile(dir / "x64.dll", kotest::MakeDll(ko::PeMachineAmd64, imports));
    WriteFile(dir / "arm64.dll", kotest::MakeDll(0xAA64, imports));
    WriteFile(dir / "x86.exe", kotest::MakeDll(ko::PeMachineI386, imports, false));
    WriteFile(dir / "x64.exe", kotest::MakeDll(ko::PeMachineAmd64, imports, false));
    WriteFile(dir / "text", std::string("not a program"));
    const struct {
        const char* Target;
        const char* Source;
        const char* Problem; // the start of the sentence after the path; "" for none
    } rows[] = {
        {"MQL4\\Experts\\a.ex4", "text", ""},
        {"MQL4\\Experts\\a.mq4", "text", ""},
        {"MQL4\\Experts\\a.ex5", "text", "is a MetaTrader 5 program"},
        {"MQL4\\Indicators\\A.MQ5", "text", "is a MetaTrader 5 program"},
        {"MQL5\\Experts\\a.ex5", "text", ""},
        {"MQL5\\Experts\\a.mq5", "text", ""},
        {"MQL5\\Experts\\a.ex4", "text", "is a MetaTrader 4 program"},
        {"mql5/Scripts/a.mq4", "text", "is a MetaTrader 4 program"},
        {"MQL4\\Libraries\\a.dll", "x86.dll", ""},
        {"MQL4\\Libraries\\a.dll", "x64.dll", "is a 64-bit DLL"},
        {"MQL5\\Libraries\\a.dll", "x64.dll", ""},
        {"MQL5\\Libraries\\a.dll", "x86.dll", "is a 32-bit DLL"},
        {"MQL4\\Libraries\\a.dll", "x86.exe", "is a Windows program, not a DLL"},
        {"MQL5\\Libraries\\a.DLL", "x64.exe", "is a Windows program, not a DLL"},
        {"MQL4\\Libraries\\a.dll", "arm64.dll", "is a DLL for another processor (machine 0xAA64)"},
        {"MQL5\\Libraries\\a.dll", "arm64.dll", "is a DLL for another processor (machine 0xAA64)"},
        {"MQL4\\Libraries\\a.dll", "text", "is not a Windows DLL"},
        {"MQL5\\Libraries\\a.dll", "text", "is not a Windows DLL"},
        // Outside the platforms' folders nothing is checked.
        {"Presets\\a.dll", "x86.exe", ""},
        {"Presets\\a.ex5", "text", ""},
    };
    for (const auto& row : rows) {
        const std::string target = std::string("{metatrader}\\") + row.Target;
        const std::string problem = ko::CheckPlatformFile(target, dir / row.Source);
        SCOPED_TRACE(target + " from " + row.Source + ": " + problem);
        if (*row.Problem == '\0')
            EXPECT_EQ(problem, "");
        else
            EXPECT_EQ(problem.rfind(std::string(row.Target) + " " + row.Problem, 0), 0u);
    }
    EXPECT_EQ(ko::CheckPlatformFile("{app}\\a.dll", dir / "x64.dll"), "");
}
