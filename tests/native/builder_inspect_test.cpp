#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/digest.h"
#include "builder/package_reader.h"
#include "builder/package_writer.h"
#include "builder/platform.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/package_writer.h"
#include "package/scramble.h"
#include "package/tag_stream.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace ko;
using kotest::ReadFile;
using kotest::Sample;
using kotest::TTempDir;
using kotest::WriteFile;

namespace {

std::string StubProblem(const std::vector<uint8_t>& stub) {
    try {
        CheckStub(stub, "stub.exe");
    } catch (const EBuildError& error) {
        return error.what();
    }
    return "";
}

// Runs verify; returns "OK..." or the error naming the first bad record.
std::string Verify(const std::filesystem::path& setup) {
    std::ostringstream out;
    try {
        VerifyCommand(setup.string(), out);
    } catch (const EBuildError& error) {
        return error.what();
    }
    return out.str();
}

// Runs extract into a fresh Out; returns its error, "" when it succeeded. A refused extract
// must have written nothing at all.
std::string ExtractProblem(const std::filesystem::path& setup, const std::filesystem::path& out) {
    std::ostringstream log;
    try {
        ExtractCommand(setup.string(), out.string(), false, log);
    } catch (const EBuildError& error) {
        EXPECT_FALSE(std::filesystem::exists(out)) << error.what();
        return error.what();
    }
    return "";
}

void Damage(const std::filesystem::path& setup, int64_t offset) {
    std::vector<uint8_t> bytes = ReadFile(setup);
    bytes.at(size_t(offset)) ^= 0x5A;
    WriteFile(setup, bytes);
}

// A package written by hand with one stored file at Path, as a hostile builder could.
void WriteHostilePackage(const std::filesystem::path& setup, const std::string& path,
                         size_t keySize = 16) {
    TMemoryStream file(kotest::FakeStub());
    file.Seek(0, TSeekOrigin::End);
    const int64_t magicAt = file.Position();
    TTagStreamAdapter writer(file);
    writer.WriteMagic(format::MagicPackage);
    writer.WriteString(format::ptProductName, EncodeString("Hostile"));
    if (keySize > 0) { // all zero after unmasking, whatever its size; none at all for 0
        TMemoryStream key(std::vector<uint8_t>(keySize, format::KeyMask));
        writer.WriteStream(format::ptKey, key, key.Size());
    }
    writer.WriteTag(format::ptFile, format::ttList);
    writer.WriteString(format::ftPath, EncodeString(path));
    writer.WriteInteger(format::ftSize, 16);
    // Behind this record, the end records and the digest record the seal puts in front.
    writer.WriteInteger(format::ftOffset, int32_t(file.Position() + 9 + 5 + 5 + 41));
    writer.WriteTag(format::TagEnd, 0);
    writer.WriteTag(format::TagEnd, 0);
    // A hostile builder digests its records as ours does: the digest is no secret.
    std::vector<uint8_t> records(file.Data().begin() + magicAt, file.Data().end());
    SealRecords(records);
    TMemoryStream sealed(std::vector<uint8_t>(file.Data().begin(), file.Data().begin() + magicAt));
    sealed.Seek(0, TSeekOrigin::End);
    sealed.WriteBuffer(records.data(), int64_t(records.size()));
    const uint8_t key[16] = {}; // what the loader makes of the key record, or of none
    TMemoryStream content(std::vector<uint8_t>{'e', 'v', 'i', 'l'});
    CipherStream(content, sealed, key, 16, true);
    WriteFile(setup, sealed.Data());
}

} // namespace

TEST(BuilderInspect, StubMustHaveItsHeaderAt256AndZeroPadding) {
    EXPECT_EQ(StubProblem(kotest::FakeCleanStub()), "");
    std::vector<uint8_t> at128 = kotest::FakeCleanStub();
    PutLE32(at128.data() + 0x3C, 128);
    EXPECT_NE(StubProblem(at128).find("PE header is at offset 128, not at 256"), std::string::npos);
    std::vector<uint8_t> noSignature = kotest::FakeCleanStub();
    noSignature[257] = 'X';
    EXPECT_NE(StubProblem(noSignature).find("no PE signature"), std::string::npos);
    // A Setup.exe already carries its pointer at 136.
    EXPECT_NE(StubProblem(kotest::FakeStub()).find("byte 137 is not zero"), std::string::npos);
    std::vector<uint8_t> notMz = kotest::FakeCleanStub();
    notMz[0] = 'Z';
    EXPECT_NE(StubProblem(notMz).find("Stub \"stub.exe\" cannot carry a package: it is not a "
                                      "Windows program"),
              std::string::npos);
    EXPECT_NE(StubProblem(kotest::FakeCleanStub(200)).find("not a Windows program"),
              std::string::npos);
}

TEST(BuilderInspect, VerifyNamesTheFirstBadRecord) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup);
    EXPECT_EQ(Verify(setup).rfind("OK: ", 0), 0u) << Verify(setup);

    std::vector<TStoredRecord> records;
    {
        TKoInstall install;
        install.LoadFromFile(setup.string());
        records = StoredRecords(install);
    }
    const auto copy = [&](const char* name) {
        std::filesystem::copy_file(setup, dir / name);
        return dir / name;
    };
    // A damaged final block deciphers to a count above 15 (this key and data make it so).
    const auto flipped = copy("flipped.exe");
    Damage(flipped, records[3].Offset + records[3].Size - 1);
    Damage(flipped, records[1].Offset + records[1].Size - 3);
    EXPECT_NE(Verify(flipped).find("file 2 ({metatrader}\\MQL4\\Experts\\Sample Trend EA.mq4): "
                                   "data does not decipher"),
              std::string::npos)
        << Verify(flipped);
    EXPECT_NE(ExtractProblem(flipped, dir / "out").find("file 2"), std::string::npos);

    // A byte flipped inside the data still deciphers; only the record's SHA-256 tells.
    const auto middle = copy("middle.exe");
    Damage(middle, records[4].Offset + 5);
    EXPECT_NE(Verify(middle).find("file 5 ("), std::string::npos) << Verify(middle);
    EXPECT_NE(Verify(middle).find("data does not match its SHA-256"), std::string::npos);
    EXPECT_NE(ExtractProblem(middle, dir / "out").find("does not match its SHA-256"),
              std::string::npos);

    // One byte of the records changed (inside the product name): only their SHA-256 tells.
    const auto renamed = copy("renamed.exe");
    Damage(renamed, GetLE32(ReadFile(renamed).data() + format::PackageOffsetPos) + 70);
    EXPECT_NE(Verify(renamed).find("the package records do not match their SHA-256"),
              std::string::npos)
        << Verify(renamed);
    EXPECT_NE(ExtractProblem(renamed, dir / "out").find("records do not match"), std::string::npos);

    const auto cut = copy("cut.exe");
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 10);
    EXPECT_NE(Verify(cut).find("file 9 ({metatrader}\\MQL5\\Libraries\\SampleTrend.dll): data at "
                               "offset"),
              std::string::npos)
        << Verify(cut);
    EXPECT_NE(ExtractProblem(cut, dir / "out").find("file 9"), std::string::npos);

    const auto cutRecords = copy("cut-records.exe");
    std::filesystem::resize_file(cutRecords, records[0].Offset - 100);
    EXPECT_NE(Verify(cutRecords).find("ends before its end record"), std::string::npos);
    EXPECT_NE(ExtractProblem(cutRecords, dir / "out").find("ends before its end record"),
              std::string::npos);

    // The first record turned into a list of an unknown id: skipped, it swallows the header
    // records.
    const auto firstDamaged = copy("first-damaged.exe");
    std::vector<uint8_t> bytes = ReadFile(firstDamaged);
    const size_t first = GetLE32(bytes.data() + format::PackageOffsetPos) + 4;
    bytes.at(first) = 99;
    bytes.at(first + 4) = format::ttList;
    WriteFile(firstDamaged, bytes);
    EXPECT_EQ(Verify(firstDamaged).rfind("OK", 0), std::string::npos) << Verify(firstDamaged);

    WriteHostilePackage(dir / "short-key.exe", "{app}\\a.txt", 8);
    EXPECT_NE(Verify(dir / "short-key.exe").find("the key record holds 8 bytes instead of 16"),
              std::string::npos)
        << Verify(dir / "short-key.exe");
    WriteHostilePackage(dir / "no-key.exe", "{app}\\a.txt", 0);
    EXPECT_NE(Verify(dir / "no-key.exe").find("holds no key record"), std::string::npos);

    const auto noPackage = copy("no-package.exe");
    std::filesystem::resize_file(noPackage, 400);
    EXPECT_NE(
        Verify(noPackage).find("is no installer: it is neither a Setup.exe nor an Uninstall.exe"),
        std::string::npos);
}

// A changed byte in the digest record's id leaves records with no digest to check them against:
// verify and extract refuse them, as the installer does, with or without another changed byte
// that the digest would have found; list still shows the package.
TEST(BuilderInspect, RecordsWithoutTheirDigestFailVerifyButList) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup);
    const int64_t magic = GetLE32(ReadFile(setup).data() + format::PackageOffsetPos);
    const struct {
        const char* Name;
        std::vector<int64_t> Changed;
    } cases[] = {{"id-low.exe", {magic + 4}},
                 {"id-high.exe", {magic + 5}},
                 {"id-and-name.exe", {magic + 4, magic + 70}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto changed = dir / c.Name;
        std::filesystem::copy_file(setup, changed);
        for (int64_t at : c.Changed)
            Damage(changed, at);
        EXPECT_NE(Verify(changed).find("the package records carry no SHA-256"), std::string::npos)
            << Verify(changed);
        EXPECT_NE(ExtractProblem(changed, dir / "out").find("carry no SHA-256"), std::string::npos);
        std::ostringstream text;
        EXPECT_EQ(ListCommand(changed.string(), std::nullopt, false, text), 0);
        EXPECT_NE(text.str().find("Records sha256  none"), std::string::npos) << text.str();
        EXPECT_NE(text.str().find("Manual.pdf"), std::string::npos) << text.str();
    }
}

TEST(BuilderInspect, ExtractWritesContentAndTimes) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup);
    std::ostringstream out;
    ASSERT_EQ(ExtractCommand(setup.string(), (dir / "out").string(), true, out), 0);
    EXPECT_EQ(ReadFile(dir / "out/documents/license.rtf"), ReadFile(Sample / "license.rtf"));
    EXPECT_EQ(ReadFile(dir / "out/documents/banner.jpg"), ReadFile(Sample / "banner.jpg"));
    EXPECT_NE(out.str().find("Extracted 9 stored items and 4 documents"), std::string::npos);
    const auto manual = dir / "out/app/Manual.pdf";
    EXPECT_EQ(ReadFile(manual), ReadFile(Sample / "docs/Manual.pdf"));
    EXPECT_EQ(GetFileTimes(manual).LastWrite, GetFileTimes(Sample / "docs/Manual.pdf").LastWrite);
    EXPECT_EQ(ReadFile(dir / "out/metatrader/MQL4/Experts/Sample Trend EA.mq4"),
              ReadFile(Sample / "files/MQL4/Experts/Sample Trend EA.mq4"));
    EXPECT_EQ(ReadFile(dir / "out/metatrader/MQL5/Libraries/SampleTrend.dll"),
              ReadFile(Sample / "files/MQL5/Libraries/SampleTrend.dll"));
}

TEST(BuilderInspect, ExtractNeverWritesOutsideItsFolder) {
    EXPECT_EQ(ExtractionPath("{app}\\Docs\\Manual.txt"),
              std::filesystem::path("app") / "Docs" / "Manual.txt");
    EXPECT_EQ(ExtractionPath("{metatrader}\\.\\MQL4//x.ex4"),
              std::filesystem::path("metatrader") / "MQL4" / "x.ex4");
    for (const char* hostile : {"{app}\\..\\..\\evil.txt", "\\Windows\\evil.txt", "/etc/evil",
                                "C:\\evil.txt", "{app}/../evil.txt", "..", "", "{app}\\x:stream"})
        EXPECT_THROW(ExtractionPath(hostile), EBuildError) << hostile;

    TTempDir dir;
    WriteHostilePackage(dir / "Setup.exe", "{app}\\..\\..\\evil.txt");
    EXPECT_EQ(Verify(dir / "Setup.exe").rfind("OK: ", 0), 0u); // the data itself is sound
    std::ostringstream out;
    EXPECT_THROW(ExtractCommand((dir / "Setup.exe").string(), (dir / "a/b").string(), false, out),
                 EBuildError);
    EXPECT_FALSE(std::filesystem::exists(dir / "evil.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));

    WriteHostilePackage(dir / "Setup.exe", "{app}\\fine.txt");
    ASSERT_EQ(ExtractCommand((dir / "Setup.exe").string(), (dir / "a/b").string(), false, out), 0);
    EXPECT_EQ(ReadFile(dir / "a/b/app/fine.txt"), std::vector<uint8_t>({'e', 'v', 'i', 'l'}));
}

// Both listings give the content size beside the stored one; the JSON one is well formed and
// carries the fields a script wants.
TEST(BuilderInspect, ListShowsRealSizesAsTextAndJson) {
    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    kotest::BuildSetup(Sample / "product.toml", setup);
    const std::string manual =
        std::to_string(std::filesystem::file_size(Sample / "docs/Manual.pdf"));
    const std::string stored = std::to_string(format::StoredSize(std::stoll(manual)));
    std::ostringstream text, json;
    ASSERT_EQ(ListCommand(setup.string(), std::nullopt, false, text), 0);
    EXPECT_NE(text.str().find("size " + manual + " (stored " + stored + ")"), std::string::npos)
        << text.str();
    ASSERT_EQ(ListCommand(setup.string(), std::nullopt, true, json), 0);
    const std::string j = json.str();
    TSha256 sha;
    const std::vector<uint8_t> manualBytes = ReadFile(Sample / "docs/Manual.pdf");
    sha.Update(manualBytes.data(), manualBytes.size());
    const TDigest digest = sha.Finish();
    const std::string manualDigest = HexDigits(digest.data(), digest.size());
    EXPECT_NE(text.str().find("sha256 " + manualDigest), std::string::npos) << text.str();
    TKoInstall install;
    install.LoadFromFile(setup.string());
    ASSERT_TRUE(install.RecordsDigest);
    const std::string recordsDigest =
        HexDigits(install.RecordsDigest->data(), install.RecordsDigest->size());
    EXPECT_NE(text.str().find("Records sha256  " + recordsDigest + "\n"), std::string::npos);
    EXPECT_NE(text.str().find("Languages       en, de, es, fr, it, ja, ko, pt, ru, tr, zh\n"),
              std::string::npos)
        << text.str();
    for (const std::string& expected :
         {std::string("\"kind\": \"installer\""), std::string("\"name\": \"Sample Trend EA\""),
          "\"path\": \"{app}\\\\Manual.pdf\",\n      \"size\": " + manual +
              ",\n      \"stored_size\": " + stored,
          std::string("\"shortcut\": \"Sample Trend EA Manual\""),
          "\"sha256\": \"" + manualDigest + "\"",
          std::string("\"tag\": \"zh\",\n      \"name\": \"简体中文\""),
          "\"records_sha256\": \"" + recordsDigest + "\",\n  \"records_damaged\": false",
          std::string(
              "\"parameters\": \"/c exit 0\",\n      \"stage\": 2,\n      \"stored\": false")})
        EXPECT_NE(j.find(expected), std::string::npos) << expected << "\n" << j;
    // Brackets balance and the object closes at the end.
    EXPECT_EQ(std::count(j.begin(), j.end(), '{'), std::count(j.begin(), j.end(), '}'));
    EXPECT_EQ(j.substr(j.size() - 2), "}\n");
}

// A stored file's creation and last-write times are two values from the source to the listing
// and to the extracted file; mixing them up would give every installed file the other time.
TEST(BuilderInspect, CreationAndWriteTimesStayApart) {
    TTempDir dir;
    const auto source = dir / "src/a.txt";
    WriteFile(source, std::string("content"));
    const uint64_t written = FileTimeFromUnix(978307200, 0); // 2001-01-01, before any creation
    SetFileTimes(source, {0, written});
    const TFileTimes times = GetFileTimes(source);
    ASSERT_EQ(times.LastWrite, written);
    WriteFile(dir / "m.toml", std::string("[product]\nname = \"T\"\n[[file]]\nsource = "
                                          "\"src/a.txt\"\ntarget = '{app}\\a.txt'\n"));
    kotest::BuildSetup(dir / "m.toml", dir / "Setup.exe");
    TKoInstall built;
    built.LoadFromFile((dir / "Setup.exe").string());
    ASSERT_EQ(built.Files.size(), 1u);
    EXPECT_EQ(built.Files[0]->LastWriteTime, written);
    // Where the file system keeps no creation time the write time stands in for it.
    EXPECT_EQ(built.Files[0]->CreationTime, times.Creation);

    // A package whose every stored item has a creation time other than its write time.
    WriteFile(dir / "Seed.exe", kotest::SeedSetup());
    TKoInstall seed;
    seed.LoadFromFile((dir / "Seed.exe").string());
    std::ostringstream list;
    ASSERT_EQ(ListCommand((dir / "Seed.exe").string(), std::nullopt, false, list), 0);
    std::ostringstream log;
    ASSERT_EQ(ExtractCommand((dir / "Seed.exe").string(), (dir / "out").string(), false, log), 0);
    ASSERT_EQ(seed.Files.size(), 2u);
    for (const auto& file : seed.Files) {
        SCOPED_TRACE(file->Path);
        ASSERT_NE(file->CreationTime, file->LastWriteTime);
        EXPECT_NE(FormatFileTime(file->CreationTime), FormatFileTime(file->LastWriteTime));
        EXPECT_NE(list.str().find("created " + FormatFileTime(file->CreationTime) + ", modified " +
                                  FormatFileTime(file->LastWriteTime)),
                  std::string::npos)
            << list.str();
        const auto extracted = dir / "out" / ExtractionPath(file->Path);
        EXPECT_EQ(GetFileTimes(extracted).LastWrite, file->LastWriteTime);
    }
}
