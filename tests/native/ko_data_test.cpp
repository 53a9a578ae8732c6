#include "base/errors.h"
#include "base/file_stream.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/language_records.h"
#include "package/package_writer.h"
#include "package/records_digest.h"
#include "package/scramble.h"
#include "package/tag_stream.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace ko;
using namespace ko::format;

namespace {

// Writes a package by hand, so the loader is tested against the format rather than against
// our own builder (the builder's round trip has its own test).
struct TPackage {
    TMemoryStream Stream{kotest::FakeStub()};
    TTagStreamAdapter Writer{Stream};

    TPackage() {
        Stream.Seek(0, TSeekOrigin::End);
        Writer.WriteMagic(MagicPackage);
    }
    void String(int32_t tag, const std::string& text) {
        Writer.WriteString(tag, EncodeString(text));
    }
    void Data(int32_t tag, std::vector<uint8_t> bytes) {
        TMemoryStream source(std::move(bytes));
        Writer.WriteStream(tag, source, source.Size());
    }
    // Puts the records' digest in front of them, as the builder does.
    void Seal() {
        std::vector<uint8_t>& bytes = Stream.Data();
        const auto magic = bytes.begin() + int64_t(kotest::FakeStub().size());
        std::vector<uint8_t> records(magic, bytes.end());
        SealRecords(records);
        bytes.erase(magic, bytes.end());
        bytes.insert(bytes.end(), records.begin(), records.end());
    }
    std::unique_ptr<TKoInstall> Load() {
        auto install = std::make_unique<TKoInstall>();
        Stream.SetPosition(0);
        install->LoadFromStream(Stream);
        return install;
    }
};

} // namespace

TEST(Loader, ReadsEveryHeaderFieldAndRecord) {
    TPackage p;
    p.String(ptProductName, "First");
    p.String(ptProductName, "Alpha EA"); // a later record replaces the earlier one
    p.Writer.WriteInteger(ptVersionMajor, 2);
    p.Writer.WriteInteger(ptVersionMinor, 7);
    p.Writer.WriteInteger(ptBuild, 31);
    p.Writer.WriteInteger(ptRelease, 4);
    p.String(ptPublisher, "Pub");
    p.String(ptWebsite, "https://example.com");
    p.String(ptAddress, "1 Road");
    p.String(ptContactName, "Ann");
    p.String(ptContactEmail, "ann@example.com");
    p.String(ptLicenseText, "{\\rtf1 licence}");
    p.String(ptReadmeText, "readme");
    p.String(ptWhatsNewText, "news");
    p.String(ptExpertOptions, "1 0 1");
    std::vector<uint8_t> key(16);
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<uint8_t>(i * 11) ^ KeyMask;
    p.Data(ptKey, key);
    const auto jpeg = kotest::MakeJpeg(164, 314);
    p.Data(ptBanner, jpeg);
    for (int i = 0; i < 3; ++i) {
        p.Writer.WriteTag(ptFile, ttList);
        p.String(ftPath, "{app}\\file" + std::to_string(i));
        p.Writer.WriteInteger(ftLastWriteLow, -1);
        p.Writer.WriteInteger(ftLastWriteHigh, 0x01DA0000);
        p.Writer.WriteInteger(ftSize, 32 * (i + 1));
        p.Writer.WriteString(77, "unknown id inside a file list");
        p.Writer.WriteByte(ftCheckNewer, 1);
        p.Writer.WriteTag(TagEnd, 0);
    }
    p.Writer.WriteTag(ptExec, ttList);
    p.Writer.WriteByte(etExternal, 1);
    p.String(etPath, "{temp}\\run.exe");
    p.String(etTitle, "Runner");
    p.String(etParameters, "/quiet");
    p.Writer.WriteInteger(etStage, 257);
    p.Writer.WriteTag(TagEnd, 0);
    p.Writer.WriteInteger(99, 5); // unknown top-level id
    p.Writer.WriteTag(TagEnd, 0);

    const auto loaded = p.Load();
    const TKoInstall& install = *loaded;
    EXPECT_EQ(install.ProductName, "Alpha EA");
    EXPECT_EQ(install.VersionMajor, 2);
    EXPECT_EQ(install.VersionMinor, 7);
    EXPECT_EQ(install.Build, 31);
    EXPECT_EQ(install.Release, 4);
    EXPECT_EQ(install.Publisher, "Pub");
    EXPECT_EQ(install.Website, "https://example.com");
    EXPECT_EQ(install.Address, "1 Road");
    EXPECT_EQ(install.ContactName, "Ann");
    EXPECT_EQ(install.ContactEmail, "ann@example.com");
    EXPECT_EQ(install.LicenseText, "{\\rtf1 licence}");
    EXPECT_EQ(install.ReadmeText, "readme");
    EXPECT_EQ(install.WhatsNewText, "news");
    EXPECT_EQ(install.ExpertOptions, "1 0 1");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(install.Key[i], static_cast<uint8_t>(i * 11));
    EXPECT_EQ(install.Banner.Bytes(), jpeg);
    EXPECT_EQ(install.Banner.Width(), 164);
    ASSERT_EQ(install.Files.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(install.Files[i]->Path, "{app}\\file" + std::to_string(i));
        EXPECT_EQ(install.Files[i]->Size, 32 * (i + 1));
        EXPECT_EQ(install.Files[i]->LastWriteTime, 0x01DA0000FFFFFFFFull);
        EXPECT_EQ(install.Files[i]->CheckNewer, 1);
        EXPECT_EQ(install.Files[i]->NoUninstall, 0);
    }
    ASSERT_EQ(install.Execs.size(), 1u);
    EXPECT_EQ(install.Execs[0]->Stage, 1) << "only the low byte of 257";
    EXPECT_EQ(install.Execs[0]->Title, "Runner");
    EXPECT_EQ(install.Execs[0]->Parameters, "/quiet");
    EXPECT_EQ(install.Execs[0]->External, 1);
}

TEST(Loader, NoMagicOrCutPackageLoadsWhatIsThereWithoutError) {
    TMemoryStream noPackage(kotest::FakeStub());
    TKoInstall install;
    install.ProductName = "stale";
    install.LoadFromStream(noPackage);
    EXPECT_EQ(install.ProductName, "");
    EXPECT_EQ(install.VersionMajor, 1);
    EXPECT_TRUE(install.Files.empty());
    EXPECT_TRUE(install.Banner.Empty());

    TPackage p;
    p.String(ptProductName, "Cut");
    p.Writer.WriteTag(ptFile, ttList);
    p.String(ftPath, "a-long-enough-path");
    auto bytes = p.Stream.Data();
    bytes.resize(bytes.size() - 5);
    TMemoryStream cut(bytes);
    install.LoadFromStream(cut);
    EXPECT_EQ(install.ProductName, "Cut");
    EXPECT_EQ(install.Files.size(), 1u);
}

TEST(Loader, OddKeyAndBannerCountsStayInsideTheirBuffers) {
    for (size_t n : {0, 5, 16, 40}) {
        TPackage p;
        p.Data(ptKey, std::vector<uint8_t>(n, KeyMask ^ 0x11));
        p.Data(ptBanner, {});
        p.String(ptProductName, "after");
        p.Writer.WriteTag(TagEnd, 0);
        const auto loaded = p.Load();
        const TKoInstall& install = *loaded;
        for (size_t i = 0; i < 16; ++i)
            EXPECT_EQ(install.Key[i], i < n ? 0x11 : KeyMask) << n;
        EXPECT_TRUE(install.Banner.Empty());
        EXPECT_EQ(install.ProductName, "after") << "the stream stays in step";
    }
}

TEST(Loader, BannerThatCannotBeShownIsLostAloneAndLeavesTheRestInStep) {
    // A picture the decoder rejects, and a negative count: each leaves an empty banner, and the
    // records behind it still load.
    const std::vector<uint8_t> notJpeg = {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'};
    for (const bool negative : {false, true}) {
        SCOPED_TRACE(negative ? "negative count" : "not a JPEG");
        TPackage p;
        if (negative) {
            p.Writer.WriteTag(ptBanner, ttData);
            WriteLE32(p.Stream, uint32_t(-5));
        } else {
            p.Data(ptBanner, notJpeg);
        }
        p.String(ptProductName, "after");
        p.Writer.WriteTag(ptFile, ttList);
        p.Writer.WriteTag(TagEnd, 0);
        p.Writer.WriteTag(TagEnd, 0);
        const std::string path = ::testing::TempDir() + "odd-banner.exe";
        {
            TFileStream file(path, TFileMode::Create);
            file.WriteBuffer(p.Stream.Data().data(), p.Stream.Size());
        }
        TKoInstall install;
        install.LoadFromFile(path);
        EXPECT_TRUE(install.Banner.Empty());
        EXPECT_EQ(install.ProductName, "after");
        EXPECT_EQ(install.Files.size(), 1u);
        EXPECT_EQ(install.FileName, path);
        EXPECT_THROW(install.LoadFromFile(path + ".missing"), EFOpenError);
    }
}

TEST(UninstallLog, RoundTripsIdentityBannerAndEntriesInOrder) {
    TKoInstall install;
    install.ProductName = "Beta";
    install.VersionMajor = 3;
    install.Build = 12;
    install.Publisher = "Pub";
    install.ContactEmail = "x@y.z";
    install.Banner.LoadFromBytes(kotest::MakeJpeg(8, 8));
    const std::vector<TUninstallEntry> entries = {{"C:\\P\\Beta", true},
                                                  {"C:\\P\\Beta\\a.txt", false},
                                                  {"C:\\M\\Beta", true},
                                                  {"C:\\M\\Beta\\x.lnk", false},
                                                  {"C:\\M\\Beta\\x.lnk", false}};
    TMemoryStream file(kotest::FakeStub(300));
    file.Seek(0, TSeekOrigin::End);
    install.AppendUninstallLog(file, entries);
    EXPECT_EQ(GetLE32(file.Data().data() + 136), 300u);

    TKoUninstall log;
    file.SetPosition(0);
    log.LoadFromStream(file);
    EXPECT_EQ(log.ProductName, "Beta");
    EXPECT_EQ(log.VersionMajor, 3);
    EXPECT_EQ(log.Build, 12);
    EXPECT_EQ(log.Publisher, "Pub");
    EXPECT_EQ(log.ContactEmail, "x@y.z");
    EXPECT_EQ(log.Banner.Bytes(), install.Banner.Bytes());
    EXPECT_EQ(log.FolderList, (std::vector<std::string>{"C:\\P\\Beta", "C:\\M\\Beta"}));
    EXPECT_EQ(log.FileList, (std::vector<std::string>{"C:\\P\\Beta\\a.txt", "C:\\M\\Beta\\x.lnk",
                                                      "C:\\M\\Beta\\x.lnk"}));

    install.Banner = TJpegPicture();
    TMemoryStream noBanner;
    install.WriteUninstallLog(noBanner, entries);
    noBanner.SetPosition(0);
    TKoUninstall plain;
    plain.ReadUninstallLog(noBanner);
    EXPECT_TRUE(plain.Banner.Empty());
    EXPECT_EQ(plain.FileList.size(), 3u);
}

// The translations travel UTF-8 whatever the code page, with their documents in the package and
// without them in the log, which also names the language the install spoke. In a list, a value
// needs its key just before it, and a list without a tag is no language.
TEST(Loader, TranslationsTravelThroughPackageAndLogWithTheSpokenTag) {
    TKoInstall install;
    install.CodePage = 1252;
    install.ProductName = "Delta";
    install.Languages.push_back({"ru",
                                 "Русский",
                                 {{"button.next", "Далее >>"}, {"a.b", "{name}"}},
                                 "{\\rtf1 лицензия}",
                                 "",
                                 "{\\rtf1 новое}"});
    install.Languages.push_back({"ja", "日本語", {{"button.next", "次へ >>"}}, "", "", ""});
    TMemoryStream package(kotest::FakeStub());
    package.Seek(0, TSeekOrigin::End);
    WritePackage(package, install);
    package.SetPosition(0);
    TKoInstall loaded;
    loaded.LoadFromStream(package);
    EXPECT_FALSE(loaded.RecordsDamaged);
    ASSERT_EQ(loaded.Languages.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const TKoLanguage &in = install.Languages[i], &out = loaded.Languages[i];
        EXPECT_EQ(out.Tag, in.Tag);
        EXPECT_EQ(out.Name, in.Name);
        EXPECT_EQ(out.Texts, in.Texts);
        EXPECT_EQ(out.LicenseText, in.LicenseText);
        EXPECT_EQ(out.ReadmeText, in.ReadmeText);
        EXPECT_EQ(out.WhatsNewText, in.WhatsNewText);
    }

    loaded.Language = "ru";
    TMemoryStream stream;
    loaded.WriteUninstallLog(stream, {{"C:\\P\\Delta", true}});
    stream.SetPosition(0);
    TKoUninstall log;
    log.ReadUninstallLog(stream);
    EXPECT_EQ(log.Language, "ru");
    ASSERT_EQ(log.Languages.size(), 2u);
    EXPECT_EQ(log.Languages[0].Texts, install.Languages[0].Texts);
    EXPECT_EQ(log.Languages[1].Name, "日本語");
    EXPECT_TRUE(log.Languages[0].LicenseText.empty());
    EXPECT_EQ(log.FolderList, std::vector<std::string>{"C:\\P\\Delta"});

    TPackage p;
    p.Writer.WriteTag(ptLanguage, ttList);
    p.String(lgValue, "lost: no key before it");
    p.String(lgTag, "de");
    p.Writer.WriteInteger(lgKey, 7);
    p.String(lgValue, "lost: its key is no string");
    p.String(lgKey, "lost.key");
    p.String(lgName, "Deutsch");
    p.String(lgValue, "lost: its key is not just before it");
    p.String(lgKey, "button.next");
    p.String(lgValue, "Weiter >>");
    p.Writer.WriteTag(TagEnd, 0);
    p.Writer.WriteTag(ptLanguage, ttList);
    p.String(lgName, "no tag");
    p.Writer.WriteTag(TagEnd, 0);
    p.String(ptProductName, "after");
    p.Writer.WriteTag(TagEnd, 0);
    const auto odd = p.Load();
    ASSERT_EQ(odd->Languages.size(), 1u);
    EXPECT_EQ(odd->Languages[0].Name, "Deutsch");
    EXPECT_EQ(odd->Languages[0].Texts,
              (std::map<std::string, std::string>{{"button.next", "Weiter >>"}}));
    EXPECT_EQ(odd->ProductName, "after");
}

namespace {

// A record of Type with a value of that type, all of whose bytes are 0xFF: read as any other
// type, a count or a record header turns -1 and the package ends there.
void WriteValueOfType(TTagStreamAdapter& writer, int32_t tag, uint8_t type) {
    static const uint8_t ones[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    writer.WriteTag(tag, type);
    if (type == ttList) {
        writer.WriteInteger(1, -1);
        writer.WriteTag(TagEnd, 0);
    } else if (type == ttString || type == ttData) {
        WriteLE32(writer.Stream, sizeof ones);
        writer.Stream.WriteBuffer(ones, sizeof ones);
    } else {
        const int size[] = {0, 1, 1, 2, 4, 4, 8};
        writer.Stream.WriteBuffer(ones, type < 7 ? size[type] : 0);
    }
}

enum class TPlace { Header, File, Exec, Log, LogEntry };

} // namespace

// The records this project added to the format are read only with the type it writes; with any
// other (a writer may use the ids for something else) they are skipped by their type, and the
// rest loads whole.
TEST(Loader, AddedRecordsOfAnotherTypeAreSkipped) {
    const struct {
        int32_t Tag;
        uint8_t Ours;
        TPlace Place;
    } added[] = {{ptCodePage, ttInteger, TPlace::Header}, {ftDigest, ttData, TPlace::File},
                 {etDigest, ttData, TPlace::Exec},        {ptRecordsDigest, ttData, TPlace::Header},
                 {ltCodePage, ttInteger, TPlace::Log},    {ltUtf8Path, ttString, TPlace::LogEntry},
                 {ptLanguage, ttList, TPlace::Header},    {ltLanguage, ttString, TPlace::Log},
                 {ltLanguages, ttList, TPlace::Log}};
    for (const auto& record : added) {
        for (uint8_t type = ttList; type <= ttData + 1; ++type) {
            if (type == record.Ours)
                continue;
            SCOPED_TRACE("id " + std::to_string(record.Tag) + ", type " + std::to_string(type));
            const auto odd = [&](TTagStreamAdapter& writer, TPlace place) {
                if (place == record.Place)
                    WriteValueOfType(writer, record.Tag, type);
            };
            if (record.Place == TPlace::Log || record.Place == TPlace::LogEntry) {
                TMemoryStream stream;
                TTagStreamAdapter writer(stream);
                writer.WriteMagic(MagicUninstall);
                odd(writer, TPlace::Log);
                writer.WriteString(ltFolder, EncodeString("C:\\A"));
                odd(writer, TPlace::LogEntry);
                writer.WriteString(ltFile, EncodeString("C:\\A\\b"));
                writer.WriteTag(TagEnd, 0);
                stream.SetPosition(0);
                TKoUninstall log;
                log.ReadUninstallLog(stream);
                EXPECT_EQ(log.FolderList, std::vector<std::string>{"C:\\A"});
                EXPECT_EQ(log.FileList, std::vector<std::string>{"C:\\A\\b"});
                EXPECT_FALSE(log.Entries.at(0).Utf8);
                EXPECT_FALSE(log.HasCodePage);
                EXPECT_TRUE(log.Language.empty());
                EXPECT_TRUE(log.Languages.empty());
                EXPECT_GE(log.RecordsEnd, 0);
                continue;
            }
            TPackage p;
            odd(p.Writer, TPlace::Header);
            p.String(ptProductName, "Alpha");
            for (int i = 0; i < 2; ++i) {
                p.Writer.WriteTag(ptFile, ttList);
                p.String(ftPath, "file" + std::to_string(i));
                odd(p.Writer, TPlace::File);
                p.Writer.WriteInteger(ftSize, 16);
                p.Writer.WriteTag(TagEnd, 0);
            }
            p.Writer.WriteTag(ptExec, ttList);
            odd(p.Writer, TPlace::Exec);
            p.String(etPath, "run.exe");
            p.Writer.WriteTag(TagEnd, 0);
            p.Writer.WriteTag(TagEnd, 0);
            p.Seal();
            const auto install = p.Load();
            ASSERT_EQ(install->Files.size(), 2u);
            EXPECT_EQ(install->Files[1]->Path, "file1");
            EXPECT_EQ(install->Files[1]->Size, 16);
            EXPECT_FALSE(install->Files[1]->HasDigest);
            ASSERT_EQ(install->Execs.size(), 1u);
            EXPECT_EQ(install->Execs[0]->Path, "run.exe");
            EXPECT_FALSE(install->Execs[0]->HasDigest);
            EXPECT_FALSE(install->HasCodePage);
            EXPECT_TRUE(install->Languages.empty());
            EXPECT_TRUE(install->RecordsDigest);
            EXPECT_FALSE(install->RecordsDamaged);
            EXPECT_GE(install->RecordsEnd, 0);
        }
    }
}

namespace {

// A package as the builder writes it, behind a stub.
std::vector<uint8_t> WrittenPackage(size_t licenceSize = 16) {
    TKoInstall install;
    install.CodePage = 1252;
    install.ProductName = "Gamma EA";
    install.LicenseText = std::string(licenceSize, 'L');
    install.Key[3] = 0x42;
    install.Banner.LoadFromBytes(kotest::MakeJpeg(8, 8));
    TKoInstallFile& file = install.AddFile();
    file.Path = "{metatrader}\\MQL4\\Experts\\Gamma.ex4";
    file.Size = 32;
    file.Offset = 4096;
    file.HasDigest = true;
    TKoInstallExec& exec = install.AddExec();
    exec.Path = "{app}\\setup.exe";
    exec.Stage = stAfterFiles;
    TMemoryStream stream(kotest::FakeStub());
    stream.Seek(0, TSeekOrigin::End);
    WritePackage(stream, install);
    return stream.Data();
}

std::unique_ptr<TKoInstall> LoadBytes(std::vector<uint8_t> bytes) {
    TMemoryStream stream(std::move(bytes));
    auto install = std::make_unique<TKoInstall>();
    install->LoadFromStream(stream);
    return install;
}

} // namespace

// Any byte changed from the digest record's count to the end record is found, whether it
// changes a value, a count that shifts every record behind it, or the end record; so are
// records cut short.
TEST(Loader, RecordsDigestFindsEveryChangedByte) {
    const std::vector<uint8_t> good = WrittenPackage();
    const auto intact = LoadBytes(good);
    ASSERT_TRUE(intact->RecordsDigest);
    EXPECT_FALSE(intact->RecordsDamaged);
    EXPECT_EQ(size_t(intact->RecordsEnd), good.size());
    const size_t magic = GetLE32(good.data() + PackageOffsetPos);
    const size_t record = magic + 4; // the digest record comes first
    ASSERT_EQ(GetLE32(good.data() + record), uint32_t(ptRecordsDigest));
    for (size_t at = record + 5; at < good.size(); ++at) {
        std::vector<uint8_t> bytes = good;
        bytes[at] ^= 0x20;
        EXPECT_TRUE(LoadBytes(bytes)->RecordsDamaged) << "byte " << at - magic;
    }
    EXPECT_TRUE(LoadBytes({good.begin(), good.end() - 5})->RecordsDamaged);
    // Records longer than what the loader reads at a time.
    std::vector<uint8_t> large = WrittenPackage(300000);
    EXPECT_FALSE(LoadBytes(large)->RecordsDamaged);
    large[large.size() - 60] ^= 0x20;
    EXPECT_TRUE(LoadBytes(large)->RecordsDamaged);
}

// Only records that start with an exact digest record of their own are undamaged: with its id or
// type changed, or with it anywhere but first (however well it matches there), there is nothing
// to check the records against. Such records still load, for listing.
TEST(Loader, RecordsNeedTheirDigestRightBehindTheMagic) {
    const std::vector<uint8_t> good = WrittenPackage();
    const size_t magic = GetLE32(good.data() + PackageOffsetPos);
    const size_t record = magic + 4;
    const size_t recordSize = 4 + 1 + 4 + DigestSize;
    std::vector<uint8_t> without = good;
    without.erase(without.begin() + int64_t(record),
                  without.begin() + int64_t(record + recordSize));
    // The digest record moved behind the first header record (the code page) and filled in
    // as the builder would there.
    std::vector<uint8_t> second = without;
    const size_t secondAt = record + 4 + 1 + 4;
    second.insert(second.begin() + int64_t(secondAt), good.begin() + int64_t(record),
                  good.begin() + int64_t(record + recordSize));
    std::vector<uint8_t> records(second.begin() + int64_t(magic), second.end());
    const TDigest moved = RecordsDigest(records, secondAt - magic + recordSize - DigestSize);
    std::copy(moved.begin(), moved.end(),
              second.begin() + int64_t(secondAt + recordSize - DigestSize));
    const auto changed = [&](std::vector<size_t> offsets) {
        std::vector<uint8_t> bytes = good;
        for (size_t at : offsets)
            bytes[at] ^= 0x01;
        return bytes;
    };
    std::vector<uint8_t> asString = good;
    asString[record + 4] = ttString;
    const size_t name = magic + 70; // inside the product name
    ASSERT_NE(LoadBytes(changed({name}))->ProductName, "Gamma EA");
    const struct {
        const char* Case;
        std::vector<uint8_t> Bytes;
        bool Damaged;
    } cases[] = {
        {"as written", good, false},
        {"the id's first byte", changed({record}), true},
        {"the id's second byte", changed({record + 1}), true},
        {"the id and the product name", changed({record, name}), true},
        {"the type (a string)", asString, true},
        {"no digest record (an older builder)", without, true},
        {"the digest record second", second, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const auto install = LoadBytes(c.Bytes);
        EXPECT_EQ(install->RecordsDamaged, c.Damaged);
        EXPECT_EQ(install->Key[3], 0x42);
        ASSERT_EQ(install->Files.size(), 1u);
        EXPECT_EQ(install->Files[0]->Path, "{metatrader}\\MQL4\\Experts\\Gamma.ex4");
    }
}

namespace {

// One record of a hand-written log: an entry, a UTF-8 path, a text or a translation list.
struct TLogRecord {
    int32_t Tag;
    std::string Text;
};

std::unique_ptr<TKoUninstall> ReadLog(const std::vector<TLogRecord>& records) {
    TMemoryStream stream;
    TTagStreamAdapter writer(stream);
    writer.WriteMagic(MagicUninstall);
    for (const TLogRecord& record : records) {
        if (record.Tag == ltLanguages)
            WriteLanguageList(writer, ltLanguages, {record.Text, record.Text, {}, "", "", ""},
                              false);
        else
            writer.WriteString(record.Tag, EncodeString(record.Text));
    }
    stream.SetPosition(0);
    auto log = std::make_unique<TKoUninstall>();
    log->ReadUninstallLog(stream);
    return log;
}

} // namespace

// A UTF-8 record amends the entry just before it and nothing else: not an entry behind another
// record, not the same entry a second time, and no entry at all at the start of the log.
TEST(UninstallLog, AUtf8PathAmendsOnlyTheEntryJustBeforeIt) {
    const struct {
        const char* Name;
        std::vector<TLogRecord> Records;
        std::vector<std::string> Folders, Files;
    } rows[] = {
        {"after a folder", {{ltFolder, "C:\\?"}, {ltUtf8Path, "C:\\Ä"}}, {"C:\\Ä"}, {}},
        {"after a file",
         {{ltFile, "C:\\a"}, {ltFile, "C:\\?"}, {ltUtf8Path, "C:\\Ä"}},
         {},
         {"C:\\a", "C:\\Ä"}},
        {"a second one",
         {{ltFile, "C:\\?"}, {ltUtf8Path, "C:\\Ä"}, {ltUtf8Path, "C:\\Ö"}},
         {},
         {"C:\\Ä"}},
        {"first in the log", {{ltUtf8Path, "C:\\Ä"}, {ltFolder, "C:\\a"}}, {"C:\\a"}, {}},
        {"alone in the log", {{ltUtf8Path, "C:\\Ä"}}, {}, {}},
        {"behind a text",
         {{ltFile, "C:\\?"}, {ltPublisher, "P"}, {ltUtf8Path, "C:\\Ä"}},
         {},
         {"C:\\?"}},
        {"behind a translation",
         {{ltFile, "C:\\?"}, {ltLanguages, "de"}, {ltUtf8Path, "C:\\Ä"}},
         {},
         {"C:\\?"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const auto log = ReadLog(row.Records);
        EXPECT_EQ(log->FolderList, row.Folders);
        EXPECT_EQ(log->FileList, row.Files);
        ASSERT_EQ(log->Entries.size(), row.Folders.size() + row.Files.size());
        for (const TLogEntry& entry : log->Entries)
            EXPECT_EQ(entry.Utf8, entry.Path.find("\xC3") != std::string::npos) << entry.Path;
    }
}

// A second records-digest record is none a writer makes: the package reads as damaged even when
// that second record holds the digest of every other byte, as a forger who copied it would make it.
TEST(Loader, ASecondRecordsDigestMarksThePackageDamaged) {
    std::vector<uint8_t> bytes = kotest::SeedSetup();
    ASSERT_FALSE(LoadBytes(bytes)->RecordsDamaged);
    const size_t end = size_t(LoadBytes(bytes)->RecordsEnd);
    const size_t first = kotest::StubEnd + 4, length = 5 + 4 + DigestSize;
    const size_t second = first + length; // a copy right behind the first
    bytes.insert(bytes.begin() + ptrdiff_t(second), bytes.begin() + ptrdiff_t(first),
                 bytes.begin() + ptrdiff_t(second));
    std::vector<uint8_t> others(bytes.begin() + kotest::StubEnd,
                                bytes.begin() + ptrdiff_t(end + length));
    const size_t secondValue = second + 9 - kotest::StubEnd;
    others.erase(others.begin() + ptrdiff_t(secondValue),
                 others.begin() + ptrdiff_t(secondValue + DigestSize));
    const TDigest digest = RecordsDigest(others, first + 9 - kotest::StubEnd);
    std::copy(digest.begin(), digest.end(), bytes.begin() + ptrdiff_t(second + 9));
    const auto loaded = LoadBytes(bytes);
    EXPECT_TRUE(loaded->RecordsDamaged);
    EXPECT_EQ(loaded->ProductName, "Seed EA");
}

// The seeds the fuzz targets start from reach every kind of record, so that a short run
// mutates the entries rather than the header.
TEST(Loader, TheSeedFilesHoldEveryKindOfRecord) {
    const auto install = LoadBytes(kotest::SeedSetup());
    EXPECT_FALSE(install->RecordsDamaged);
    EXPECT_TRUE(install->RecordsDigest);
    EXPECT_TRUE(install->HasCodePage);
    EXPECT_FALSE(install->Banner.Empty());
    EXPECT_FALSE(install->ExpertOptions.empty() || install->WhatsNewText.empty());
    ASSERT_EQ(install->Files.size(), 2u);
    EXPECT_TRUE(install->Files[1]->HasDigest && install->Files[1]->NoUninstall);
    ASSERT_EQ(install->Execs.size(), 2u);
    EXPECT_TRUE(install->Execs[0]->HasDigest);
    EXPECT_TRUE(install->Execs[1]->External);
    ASSERT_EQ(install->Languages.size(), 2u);
    EXPECT_FALSE(install->Languages[0].LicenseText.empty());
    std::vector<uint8_t> content;
    TMemoryStream setup(kotest::SeedSetup());
    const int64_t n = DecipherStoredToMemory(setup, *install->Files[1], install->Key, content);
    EXPECT_EQ(std::string(content.begin(), content.begin() + n), "manual text");

    TMemoryStream file(kotest::SeedUninstaller());
    TKoUninstall log;
    log.LoadFromStream(file);
    EXPECT_TRUE(log.HasCodePage);
    EXPECT_EQ(log.Language, "de");
    EXPECT_EQ(log.Languages.size(), 2u);
    EXPECT_FALSE(log.Banner.Empty());
    ASSERT_EQ(log.Entries.size(), 5u);
    EXPECT_EQ(log.FolderList.size(), 2u);
    EXPECT_FALSE(log.Entries[1].Utf8);
    EXPECT_TRUE(log.Entries[2].Utf8 && log.Entries[3].Utf8);
    EXPECT_EQ(log.FileList[1], "C:\\Users\\Иван\\MT4\\MQL4\\Experts\\Seed\\Seed.ex4");

    TMemoryStream minimal(kotest::SeedMinimalLog());
    log.LoadFromStream(minimal);
    EXPECT_EQ(log.FolderList, std::vector<std::string>{"C:\\Ä"});
}
