#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/package_reader.h"
#include "builder/package_writer.h"
#include "builder/platform.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/sub_stream.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>

using namespace ko;
using kotest::ReadFile;
using kotest::Sample;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

std::string Text(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Deciphers one record's stored data the way the install run does.
std::vector<uint8_t> Decipher(const std::filesystem::path& setup, int32_t offset, int32_t size,
                              const uint8_t* key) {
    TFileStream file(setup.string(), TFileMode::OpenRead);
    TSubStream window(file, offset, int64_t(offset) + size - 1);
    window.SetPosition(0);
    TMemoryStream plain;
    CipherStream(window, plain, key, format::KeySize, false);
    return plain.Data();
}

std::unique_ptr<TKoInstall> Load(const std::filesystem::path& setup) {
    auto install = std::make_unique<TKoInstall>();
    install->LoadFromFile(setup.string());
    return install;
}

// Checks that a record holds exactly Source's bytes and times.
void ExpectStored(const std::filesystem::path& setup, const TKoInstall& install, int32_t offset,
                  int32_t size, uint64_t lastWrite, const std::filesystem::path& source) {
    SCOPED_TRACE(source.string());
    const std::vector<uint8_t> content = ReadFile(source);
    EXPECT_EQ(size, format::StoredSize(int64_t(content.size())));
    EXPECT_EQ(Decipher(setup, offset, size, install.Key), content);
    EXPECT_EQ(lastWrite, GetFileTimes(source).LastWrite);
}

} // namespace

// The sample product, built and read back through the installer's own loader field by field.
TEST(BuilderPackage, SampleProductReadsBackThroughTheLoader) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup, "000102030405060708090a0b0c0d0e0f");
    const auto install = Load(setup);

    EXPECT_EQ(install->ProductName, "Sample Trend EA");
    EXPECT_EQ(install->VersionMajor, 1);
    EXPECT_EQ(install->VersionMinor, 2);
    EXPECT_EQ(install->Build, 345);
    EXPECT_EQ(install->Release, 2);
    EXPECT_EQ(install->Publisher, "Example Trading Tools Ltd.");
    EXPECT_EQ(install->Website, "https://www.example.com/sample-trend-ea");
    EXPECT_EQ(install->ContactEmail, "support@example.com");
    EXPECT_EQ(install->LicenseText, Text(Sample / "license.rtf"));
    EXPECT_EQ(install->ReadmeText, Text(Sample / "readme.rtf"));
    EXPECT_EQ(install->WhatsNewText, Text(Sample / "whatsnew.rtf"));
    EXPECT_EQ(install->ExpertOptions, "1 1 1");
    EXPECT_EQ(install->Banner.Bytes(), ReadFile(Sample / "banner.jpg"));
    EXPECT_EQ(install->Banner.Width(), 160);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(install->Key[i], i);

    ASSERT_EQ(install->Files.size(), 9u);
    const TKoInstallFile& mq4 = *install->Files[1];
    EXPECT_EQ(mq4.Path, "{metatrader}\\MQL4\\Experts\\Sample Trend EA.mq4");
    const TKoInstallFile& dll = *install->Files[4];
    EXPECT_EQ(dll.Path, "{metatrader}\\MQL4\\Libraries\\SampleTrend.dll");
    EXPECT_TRUE(dll.CheckNewer && dll.NoUninstall);
    const TKoInstallFile& manual = *install->Files[5];
    EXPECT_EQ(manual.Path, "{app}\\Manual.pdf");
    EXPECT_EQ(manual.ShortcutName, "Sample Trend EA Manual");
    EXPECT_FALSE(manual.CheckNewer || manual.NoUninstall);
    // The MetaTrader 5 part follows, with its own 64-bit build of the library.
    EXPECT_EQ(install->Files[8]->Path, "{metatrader}\\MQL5\\Libraries\\SampleTrend.dll");
    ExpectStored(setup, *install, mq4.Offset, mq4.Size, mq4.LastWriteTime,
                 Sample / "files/MQL4/Experts/Sample Trend EA.mq4");
    ExpectStored(setup, *install, dll.Offset, dll.Size, dll.LastWriteTime,
                 Sample / "files/MQL4/Libraries/SampleTrend.dll");
    ExpectStored(setup, *install, manual.Offset, manual.Size, manual.LastWriteTime,
                 Sample / "docs/Manual.pdf");

    ASSERT_EQ(install->Execs.size(), 1u);
    const TKoInstallExec& exec = *install->Execs[0];
    EXPECT_TRUE(exec.External);
    EXPECT_EQ(exec.Path, "{windir}\\system32\\cmd.exe");
    EXPECT_EQ(exec.Title, "Checking the system");
    EXPECT_EQ(exec.Parameters, "/c exit 0");
    EXPECT_EQ(exec.Stage, stAfterFiles);
}

// The stub is copied unchanged apart from the pointer, and the data of the records follows the
// end record back to back, in record order, to the end of the file.
TEST(BuilderPackage, LayoutIsStubRecordsThenDataBackToBack) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup);
    const std::vector<uint8_t> bytes = ReadFile(setup);
    const std::vector<uint8_t> stub = kotest::FakeStub();
    ASSERT_GT(bytes.size(), stub.size());
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bytes.begin()));

    const TPackageScan scan = ScanPackage(setup.string());
    EXPECT_EQ(scan.PackageOffset, stub.size());
    EXPECT_EQ(scan.CodePage, 1252);
    int64_t next = scan.RecordsEnd;
    for (const TStoredRecord& record : StoredRecords(*Load(setup))) {
        EXPECT_EQ(record.Offset, next) << record.Describe(1252);
        next += record.Size;
    }
    EXPECT_EQ(next, int64_t(bytes.size()));
}

// Sizes at the block boundaries, a stored program and a Cyrillic product in code page 1251.
TEST(BuilderPackage, BlockEdgesStoredProgramAndCodePage) {
    TTempDir dir;
    const std::vector<size_t> sizes = {0, 15, 16, 17, 4096 * 16 + 1};
    for (size_t size : sizes)
        WriteFile(dir / ("src/f" + std::to_string(size) + ".bin"), std::string(size, char(size)));
    WriteFile(dir / "src/tool.exe", std::string("MZ tool"));
    WriteFile(dir / "m.toml", R"(codepage = 1251
[product]
name = "Советник Тренд"
[[file]]
source = "src/f*.bin"
target = '{app}\Данные\'
[[run]]
source = "src/tool.exe"
path = '{temp}\tool.exe'
title = "Проверка"
stage = 1
)");
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(dir / "m.toml", setup);
    const auto install = Load(setup);
    EXPECT_EQ(CodePageToUtf8(install->ProductName, 1251), "Советник Тренд");
    EXPECT_EQ(install->ProductName.size(), 14u); // one byte a character
    ASSERT_EQ(install->Files.size(), sizes.size());
    for (const auto& file : install->Files) {
        const std::string name = CodePageToUtf8(file->Path, 1251);
        ASSERT_EQ(name.rfind("{app}\\Данные\\f", 0), 0u) << name;
        ExpectStored(setup, *install, file->Offset, file->Size, file->LastWriteTime,
                     dir / ("src/" + name.substr(name.rfind('\\') + 1)));
    }
    ASSERT_EQ(install->Execs.size(), 1u);
    const TKoInstallExec& tool = *install->Execs[0];
    EXPECT_FALSE(tool.External);
    EXPECT_EQ(tool.Stage, stBeforeFiles);
    ExpectStored(setup, *install, tool.Offset, tool.Size, tool.LastWriteTime, dir / "src/tool.exe");

    std::string out, err;
    ASSERT_EQ(kotest::RunKosetup({"list", setup.string()}, out, err), 0) << err;
    EXPECT_NE(out.find("\"Советник Тренд\""), std::string::npos) << out;
    EXPECT_NE(out.find("stored {temp}\\tool.exe"), std::string::npos) << out;
}

// In a double-byte code page a second byte may be that of "\\" or of an ASCII letter: "ア" and
// "ヂ" differ only in the case such a byte would have, and are two files all the same. A UTF-8
// licence and one in the code page become escapes that every reader shows alike.
TEST(BuilderPackage, DoubleByteNamesAndDocuments) {
    TTempDir dir;
    WriteFile(dir / "a.mq4", std::string("a"));
    WriteFile(dir / "license.rtf", std::string("{\\rtf1\\ansi \x92\x86\x95\x5C}"));
    WriteFile(dir / "readme.rtf", std::string("{\\rtf1\\ansi 表}"));
    WriteFile(dir / "m.toml", R"(codepage = 932
[product]
name = "表ソ EA"
[documents]
license = "license.rtf"
readme = "readme.rtf"
[[file]]
source = "a.mq4"
target = '{app}\ア.mq4'
[[file]]
source = "a.mq4"
target = '{app}\ヂ.mq4'
)");
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(dir / "m.toml", setup);
    const auto install = Load(setup);
    EXPECT_EQ(install->ProductName, "\x95\x5C\x83\x5C EA");
    ASSERT_EQ(install->Files.size(), 2u);
    EXPECT_EQ(CodePageToUtf8(install->Files[1]->Path, 932), "{app}\\ヂ.mq4");
    // The licence is in the code page: "表" is one character, its second byte no "\\".
    EXPECT_EQ(install->LicenseText, "{\\rtf1\\ansi \\u20013?\\u-30616?}");
    EXPECT_EQ(install->ReadmeText, "{\\rtf1\\ansi \\u-30616?}");
    std::string out, err;
    ASSERT_EQ(kotest::RunKosetup({"list", setup.string()}, out, err), 0) << err;
    EXPECT_NE(out.find("\"表ソ EA\""), std::string::npos) << out;

    // UTF-8 keeps the texts as written.
    WriteFile(dir / "m.toml", "codepage = 65001\n[product]\nname = \"中文 한국 Łódź\"\n");
    kotest::BuildSetup(dir / "m.toml", setup);
    EXPECT_EQ(Load(setup)->ProductName, "中文 한국 Łódź");
}

// Same key and sources: the same bytes. No key: a fresh one each time.
TEST(BuilderPackage, KeyMakesBuildsReproducible) {
    TTempDir dir;
    kotest::BuildSetup(Sample / "product.toml", dir / "a.exe");
    kotest::BuildSetup(Sample / "product.toml", dir / "b.exe");
    EXPECT_EQ(ReadFile(dir / "a.exe"), ReadFile(dir / "b.exe"));

    WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    std::string out, err;
    for (const char* name : {"c.exe", "d.exe"})
        ASSERT_EQ(kotest::RunKosetup({"build", (Sample / "product.toml").string(), "-o",
                                      (dir / name).string(), "--stub", (dir / "stub.exe").string()},
                                     out, err),
                  0)
            << err;
    const auto c = Load(dir / "c.exe"), d = Load(dir / "d.exe");
    EXPECT_NE(std::vector<uint8_t>(c->Key, c->Key + 16), std::vector<uint8_t>(d->Key, d->Key + 16));
}

// A build that fails keeps the previous Setup.exe and leaves no partial file.
TEST(BuilderPackage, FailedBuildKeepsThePreviousOutput) {
    TTempDir dir;
    WriteFile(dir / "Setup.exe", std::string("previous"));
    WriteFile(dir / "m.toml", "[product]\nname = \"X\"\n[[file]]\nsource = \"gone.bin\"\n"
                              "target = '{app}\\gone.bin'\n");
    WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    std::string out, err;
    EXPECT_EQ(
        kotest::RunKosetup({"build", (dir / "m.toml").string(), "-o", (dir / "Setup.exe").string(),
                            "--stub", (dir / "stub.exe").string()},
                           out, err),
        1);
    EXPECT_NE(err.find("gone.bin\" not found"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(dir / "Setup.exe"),
              std::vector<uint8_t>({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

namespace {

// Every file under Dir with its content, folders as "/"; to prove that nothing changed.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        files[entry.path().string()] = entry.is_directory() ? "/" : Text(entry.path());
    return files;
}

} // namespace

TEST(BuilderPackage, OutputNeverDestroysAnInputNorAnythingNotItsOwn) {
    TTempDir dir;
    WriteFile(dir / "a.bin", std::string("content"));
    WriteFile(dir / "license.rtf", std::string("{\\rtf1 L}"));
    WriteFile(dir / "m.toml", "[product]\nname = \"X\"\n[documents]\nlicense = \"license.rtf\"\n"
                              "[[file]]\nsource = \"a.bin\"\ntarget = '{app}\\a.bin'\n");
    WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    std::filesystem::create_hard_link(dir / "a.bin", dir / "link.bin");
    std::filesystem::create_directory(dir / "sub");
    // Names an older builder used for its temporary file, and the user's own.
    std::filesystem::create_directory(dir / "Setup.exe.partial");
    WriteFile(dir / "Setup.exe", std::string("previous"));
    const auto before = Snapshot(dir.Path());
    for (const std::string output : {"m.toml", "sub/../stub.exe", "license.rtf", "link.bin"}) {
        std::string out, err;
        EXPECT_EQ(
            kotest::RunKosetup({"build", (dir / "m.toml").string(), "-o", (dir / output).string(),
                                "--stub", (dir / "stub.exe").string()},
                               out, err),
            1);
        EXPECT_NE(err.find("writing it would destroy it"), std::string::npos) << err;
    }
    // A build that fails while writing, and one that is interrupted, remove their own file.
    TPackageContent content;
    content.ProductName = "X";
    content.Files.push_back({"{app}\\a.bin", "", false, false, {dir / "a.bin", 99, {}}});
    EXPECT_THROW(
        BuildSetupFile(ReadStub(dir / "stub.exe"), "stub.exe", content, dir / "Setup.exe", {}),
        EKoError);
    content.Files[0].Data.Length = 7;
    EXPECT_EXIT(BuildSetupFile(ReadStub(dir / "stub.exe"), "stub.exe", content, dir / "Setup.exe",
                               [](auto&, auto, auto) { std::raise(SIGTERM); }),
                testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

// Two copies of the sources made at different times build byte-identical installers under
// SOURCE_DATE_EPOCH without a key; stored times later than it are clamped to it, and a file
// older than it keeps its own.
TEST(BuilderPackage, SourceDateEpochMakesCheckoutsReproducible) {
    TTempDir dir;
    const int64_t epoch = 1700000000; // 2023-11-14, before both copies
    const int64_t older = epoch - 86400 * 400;
    const auto copyAt = [&](const char* name, std::filesystem::file_time_type when) {
        std::filesystem::copy(Sample, dir / name, std::filesystem::copy_options::recursive);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / name))
            std::filesystem::last_write_time(entry.path(), when);
        std::filesystem::last_write_time(dir / name / "docs/Manual.pdf",
                                         std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                             std::chrono::seconds(older))));
    };
    const auto now = std::filesystem::file_time_type::clock::now();
    copyAt("a", now);
    copyAt("b", now - std::chrono::hours(30));
    WriteFile(dir / "stub.exe", kotest::FakeCleanStub());
    setenv("SOURCE_DATE_EPOCH", std::to_string(epoch).c_str(), 1);
    std::string out, err;
    for (const char* name : {"a", "b"})
        EXPECT_EQ(kotest::RunKosetup({"build", (dir / name / "product.toml").string(), "-o",
                                      (dir / name / "Setup.exe").string(), "--stub",
                                      (dir / "stub.exe").string()},
                                     out, err),
                  0)
            << err;
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(ReadFile(dir / "a/Setup.exe"), ReadFile(dir / "b/Setup.exe"));
    const auto install = Load(dir / "a/Setup.exe");
    for (const auto& file : install->Files) {
        const bool old = file->Path.ends_with("Manual.pdf");
        EXPECT_EQ(file->LastWriteTime, FileTimeFromUnix(old ? older : epoch, 0)) << file->Path;
        EXPECT_LE(file->CreationTime, FileTimeFromUnix(epoch, 0));
        if (!old)
            EXPECT_EQ(file->CreationTime, FileTimeFromUnix(epoch, 0));
    }
    const std::vector<uint8_t> key(install->Key, install->Key + 16);
    EXPECT_NE(key, std::vector<uint8_t>(16, 0));
}
