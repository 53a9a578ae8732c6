#include "package/pe_image.h"
#include "test_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using kotest::RunKosetup;
using kotest::SampleDll32;
using kotest::SampleDll64;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

const char* const Unsigned = "is not signed: Windows 11's Smart App Control blocks unsigned "
                             "libraries and programs; sign it or set sign = true";
const char* const EllipticCurve = "is signed with an elliptic-curve key";

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// What Command writes to its standard output.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

// A certificate of each kind of key and the files signed with them, made once per test.
class Signing : public testing::Test {
protected:
    void SetUp() override {
        if (!Shell("command -v osslsigncode") || !Shell("command -v openssl"))
            GTEST_SKIP() << "osslsigncode or openssl is missing";
        const std::string d = FKeys.Path().string();
        ASSERT_TRUE(Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                          "'/CN=Example Vendor/O=Example Ltd' -keyout " +
                          d + "/rsa.key -out " + d + "/rsa.pem"));
        ASSERT_TRUE(Shell("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                          "-nodes -days 2 -subj /CN=Curve -keyout " +
                          d + "/ec.key -out " + d + "/ec.pem"));
    }

    // The shell command signing {in} into {out} with the certificate of Kind ("rsa" or "ec").
    std::string Command(const std::string& kind) const {
        const std::string d = FKeys.Path().string();
        return "osslsigncode sign -certs " + d + "/" + kind + ".pem -key " + d + "/" + kind +
               ".key -in {in} -out {out} >/dev/null";
    }

    void Sign(const std::string& kind, const std::filesystem::path& in,
              const std::filesystem::path& out) const {
        std::string command = Command(kind);
        command.replace(command.find("{in}"), 4, in.string());
        command.replace(command.find("{out}"), 5, out.string());
        ASSERT_TRUE(Shell(command)) << command;
    }

    TTempDir FKeys;
};

// One [[file]] table from line 3 on, its source on line 4.
std::string Manifest(const std::string& source, const std::string& target, bool sign) {
    return "[product]\nname = \"X\"\n[[file]]\nsource = \"" + source + "\"\ntarget = '" + target +
           "'\n" + (sign ? "sign = true\n" : "");
}

} // namespace

// Every program and DLL neither signed with an RSA key nor marked to be signed is named, at its
// manifest line, by check and build alike; a signed or marked one, or a file that is no program,
// is not.
TEST_F(Signing, NamesWhatSmartAppControlWouldBlock) {
    TTempDir dir;
    std::filesystem::copy_file(SampleDll32, dir / "plain.dll");
    Sign("rsa", SampleDll32, dir / "rsa.dll");
    Sign("ec", SampleDll64, dir / "ec.dll");
    WriteFile(dir / "tool.exe", kotest::MakeDll(ko::PeMachineAmd64, {"KERNEL32.dll"}, false));
    WriteFile(dir / "a.ex4", std::string("ex4"));
    struct TCase {
        std::string Source, Target;
        bool Sign;
        const char* Expected; // nullptr: no warning
    } cases[] = {
        {"plain.dll", "{metatrader}\\MQL4\\Libraries\\x.dll", false, Unsigned},
        {"plain.dll", "{metatrader}\\MQL4\\Libraries\\x.dll", true, nullptr},
        {"tool.exe", "{app}\\tool.exe", false, Unsigned},
        {"tool.exe", "{app}\\tool.exe", true, nullptr},
        {"rsa.dll", "{metatrader}\\MQL4\\Libraries\\x.dll", false, nullptr},
        {"ec.dll", "{metatrader}\\MQL5\\Libraries\\x.dll", false, EllipticCurve},
        {"ec.dll", "{metatrader}\\MQL5\\Libraries\\x.dll", true, nullptr},
        {"a.ex4", "{metatrader}\\MQL4\\Experts\\a.ex4", false, nullptr},
    };
    for (const TCase& test : cases) {
        const auto manifest = dir / "m.toml";
        WriteFile(manifest, Manifest(test.Source, test.Target, test.Sign));
        std::string out, err;
        ASSERT_EQ(RunKosetup({"check", manifest.string()}, out, err), 0) << err;
        if (!test.Expected) {
            EXPECT_EQ(err, "") << test.Source;
            continue;
        }
        EXPECT_EQ(
            err.rfind(manifest.string() + ":4: warning: " + test.Target + " " + test.Expected, 0),
            0u)
            << err;
        if (!test.Sign) {
            std::string buildErr;
            ASSERT_EQ(RunKosetup({"build", manifest.string(), "-o", (dir / "Setup.exe").string()},
                                 out, buildErr),
                      0)
                << buildErr;
            EXPECT_EQ(buildErr.find(err), 0u) << buildErr;
        }
    }
}

// A build signs a copy of a marked file and stores it, the vendor's file left as it was; the
// listing shows it signed by its signer, an unmarked DLL unsigned, and no signature for a file
// that is no program.
TEST_F(Signing, BuildStoresASignedCopy) {
    TTempDir dir;
    std::filesystem::copy_file(SampleDll64, dir / "x.dll");
    std::filesystem::copy_file(SampleDll32, dir / "plain.dll");
    WriteFile(dir / "a.ex4", std::string("ex4"));
    const std::vector<uint8_t> before = kotest::ReadFile(dir / "x.dll");
    WriteFile(
        dir / "m.toml",
        Manifest("x.dll", "{metatrader}\\MQL5\\Libraries\\x.dll", true) +
            "[[file]]\nsource = \"plain.dll\"\ntarget = '{metatrader}\\MQL4\\Libraries\\p.dll'\n"
            "[[file]]\nsource = \"a.ex4\"\ntarget = '{metatrader}\\MQL4\\Experts\\a.ex4'\n");
    const std::string setup = (dir / "Setup.exe").string();
    std::string out, err;
    ASSERT_EQ(RunKosetup({"build", (dir / "m.toml").string(), "-o", setup, "--sign-command",
                          Command("rsa")},
                         out, err),
              0)
        << err;
    EXPECT_EQ(err, (dir / "m.toml").string() +
                       ":8: warning: {metatrader}\\MQL4\\Libraries\\p.dll " + Unsigned + "\n");
    EXPECT_EQ(kotest::ReadFile(dir / "x.dll"), before);
    // The build reads the source it signs a copy of, so it must not write the installer over it.
    EXPECT_NE(RunKosetup({"build", (dir / "m.toml").string(), "-o", (dir / "x.dll").string(),
                          "--sign-command", Command("rsa")},
                         out, err),
              0);
    EXPECT_EQ(kotest::ReadFile(dir / "x.dll"), before);

    ASSERT_EQ(RunKosetup({"extract", setup, (dir / "out").string()}, out, err), 0) << err;
    std::string stored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "out"))
        if (entry.path().filename() == "x.dll")
            stored = entry.path().string();
    ASSERT_FALSE(stored.empty());
    const std::string report = Output("osslsigncode verify -in '" + stored + "'");
    EXPECT_NE(report.find("Subject: /CN=Example Vendor/O=Example Ltd"), std::string::npos)
        << report;

    ASSERT_EQ(RunKosetup({"list", setup}, out, err), 0) << err;
    const size_t signedAt = out.find("    signed by CN=Example Vendor, O=Example Ltd\n");
    const size_t plainAt = out.find("p.dll");
    EXPECT_LT(out.find("x.dll"), signedAt) << out;
    EXPECT_LT(signedAt, plainAt) << out;
    EXPECT_NE(out.find("    not signed\n", plainAt), std::string::npos) << out;
    EXPECT_EQ(out.find("signed", out.find("a.ex4")), std::string::npos) << out;

    ASSERT_EQ(RunKosetup({"list", setup, "--json"}, out, err), 0) << err;
    for (const char* expected :
         {"\"signed\": true,\n      \"signer\": \"CN=Example Vendor, O=Example Ltd\"",
          "\"signed\": false,\n      \"signer\": null",
          "\"signed\": null,\n      \"signer\": null"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
}

// sign = true is a mistake at its file's line where nothing can be signed: in a build without a
// sign command, on a file that is no Windows program or DLL, and when the command's copy is no
// longer the program it was given. A check, which signs nothing, takes the mark as it is.
TEST_F(Signing, RefusesWhatCannotBeSigned) {
    TTempDir dir;
    std::filesystem::copy_file(SampleDll32, dir / "x.dll");
    WriteFile(dir / "notes.dll", std::string("not a program"));
    const std::string dll = "{metatrader}\\MQL4\\Libraries\\x.dll";
    struct TCase {
        std::string Source, Command;
        bool Build;
        std::string Expected; // "": accepted
    } cases[] = {
        {"x.dll", "", false, ""},
        {"x.dll", "", true, ":3: sign = true needs a sign command"},
        {"x.dll", Command("rsa"), true, ""},
        {"notes.dll", "", false, ":4: source file"},
        {"notes.dll", Command("rsa"), true, ":4: source file"},
        {"x.dll", "printf MZ >{out} # {in}", true, ":4: the signing command turned"},
        {"x.dll", "false {in} {out}", true, ":4: source file"},
    };
    for (const TCase& test : cases) {
        const auto manifest = dir / "m.toml";
        WriteFile(manifest, Manifest(test.Source, dll, true));
        std::vector<std::string> args = {test.Build ? "build" : "check", manifest.string()};
        if (test.Build)
            args.insert(args.end(), {"-o", (dir / "Setup.exe").string()});
        if (!test.Command.empty())
            args.insert(args.end(), {"--sign-command", test.Command});
        std::string out, err;
        const int code = RunKosetup(args, out, err);
        if (test.Expected.empty()) {
            EXPECT_EQ(code, 0) << test.Source << " " << test.Command << "\n" << err;
            continue;
        }
        EXPECT_NE(code, 0) << test.Source << " " << test.Command;
        EXPECT_NE(err.find(manifest.string() + test.Expected), std::string::npos)
            << test.Command << "\n"
            << err;
    }
}
