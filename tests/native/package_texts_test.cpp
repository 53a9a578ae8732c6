// The package's texts in the code page it records, whatever the system's, and an uninstall log
// that keeps every name.
#include "base/errors.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/rtf_code_page.h"
#include "package/scramble.h"
#include "package/tag_stream.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace ko;
using namespace ko::format;

namespace {

TMemoryStream PackageIn(int codePage, const std::string& name, const std::string& path) {
    TMemoryStream stream(kotest::FakeStub());
    stream.Seek(0, TSeekOrigin::End);
    TTagStreamAdapter writer(stream);
    writer.WriteMagic(MagicPackage);
    if (codePage)
        writer.WriteInteger(ptCodePage, codePage);
    writer.WriteString(ptProductName, EncodeString(name));
    writer.WriteTag(ptFile, ttList);
    writer.WriteString(ftPath, EncodeString(path));
    writer.WriteString(ftShortcutName, EncodeString(name));
    writer.WriteTag(TagEnd, ttList);
    writer.WriteTag(TagEnd, ttList);
    stream.SetPosition(0);
    return stream;
}

} // namespace

TEST(PackageTexts, DecodedInTheRecordedCodePageWhateverTheSystems) {
    // "Café" in code page 1252, installed on a Cyrillic system.
    TMemoryStream cafe = PackageIn(1252, "Caf\xE9 EA", "{app}\\Caf\xE9.txt");
    TKoInstall install;
    install.LoadFromStream(cafe);
    EXPECT_EQ(install.CodePage, 1252);
    install.DecodeTexts(TableCodec(1251));
    EXPECT_EQ(install.ProductName, "Café EA");
    EXPECT_EQ(install.Files[0]->Path, "{app}\\Café.txt");
    EXPECT_EQ(install.Files[0]->ShortcutName, "Café EA");

    // A package that records no code page was made for the system's own.
    TMemoryStream old = PackageIn(0, "\xCF\xF0\xEE\xE1\xE0", "{app}\\a.txt");
    install.LoadFromStream(old);
    install.DecodeTexts(TableCodec(1251));
    EXPECT_EQ(install.ProductName, "Проба");

    // A code page nobody here knows is said, never guessed.
    TMemoryStream unknown = PackageIn(50001, "EA", "{app}\\a.txt");
    install.LoadFromStream(unknown);
    try {
        install.DecodeTexts(TableCodec(1252));
        FAIL() << "decoded an unknown code page";
    } catch (const EKoError& e) {
        EXPECT_STREQ(e.what(), "the texts are in code page 50001, which this system does not know");
    }
}

TEST(PackageTexts, TheUninstallLogKeepsNamesItsCodePageLacks) {
    TKoInstall install;
    install.CodePage = 1250;
    install.ProductName = "Łódź EA";
    const std::vector<TUninstallEntry> entries = {{"C:\\Łódź", true},
                                                  {"C:\\Users\\王伟\\a.txt", false},
                                                  {"C:\\Проба", true},
                                                  {"C:\\Łódź\\b.txt", false}};
    const TTextCodec codec = TableCodec(1252);
    TMemoryStream file(kotest::FakeStub(300));
    file.Seek(0, TSeekOrigin::End);
    install.AppendUninstallLog(file, entries, &codec);

    // A reader of the code page alone sees the names it can hold, and "?" for the others.
    TKoUninstall older;
    file.SetPosition(0);
    older.LoadFromStream(file);
    EXPECT_EQ(older.CodePage, 1250);
    EXPECT_EQ(older.ProductName, "\xA3\xF3"
                                 "d\x9F EA");

    TKoUninstall log;
    file.SetPosition(0);
    log.LoadFromStream(file);
    log.DecodeTexts(TableCodec(1251));
    EXPECT_EQ(log.ProductName, "Łódź EA");
    EXPECT_EQ(log.FolderList, (std::vector<std::string>{"C:\\Łódź", "C:\\Проба"}));
    EXPECT_EQ(log.FileList,
              (std::vector<std::string>{"C:\\Users\\王伟\\a.txt", "C:\\Łódź\\b.txt"}));

    // Written from a package of no code page, the log records the system's.
    install.CodePage = 0;
    install.ProductName = "Проба";
    TMemoryStream fromOld;
    install.WriteUninstallLog(fromOld, {}, &codec);
    fromOld.SetPosition(0);
    log.ReadUninstallLog(fromOld);
    EXPECT_EQ(log.CodePage, 1252);
    EXPECT_EQ(log.ProductName, "?????");
}

TEST(PackageTexts, RtfDocumentsReadInTheirCodePageEverywhere) {
    EXPECT_EQ(DeclareRtfCodePage("{\\rtf1\\ansi\\deff0 Caf\xE9}", 1252),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0 Caf\xE9}");
    EXPECT_EQ(DeclareRtfCodePage("{\\rtf1\\ansi Caf\\'e9}", 1251),
              "{\\rtf1\\ansi\\ansicpg1251 Caf\\'e9}");
    EXPECT_EQ(DeclareRtfCodePage("{\\rtf1 \xE9}", 1250), "{\\rtf1\\ansicpg1250 \xE9}");
    // A declared code page, ASCII alone, plain text and the system's own code page stay.
    for (const std::string& kept : {std::string("{\\rtf1\\ansi\\ansicpg1251 \xE9}"),
                                    std::string("{\\rtf1 x}"), std::string("Plain caf\xE9")})
        EXPECT_EQ(DeclareRtfCodePage(kept, 1252), kept);
    EXPECT_EQ(DeclareRtfCodePage("{\\rtf1 \xE9}", 0), "{\\rtf1 \xE9}");

    // Bytes and \'hh escapes become Unicode escapes; "\\'" is an apostrophe after a backslash.
    const TTextCodec codec = TableCodec(1252);
    EXPECT_EQ(WithUnicodeEscapes("{\\rtf1 \xA3\\'f3d\\'9f \\\\'e9 \\'41}", codec, 1250),
              "{\\rtf1 {\\uc1\\u321?}{\\uc1\\u243?}d{\\uc1\\u378?} \\\\'e9 \\'41}");
    // A document whose fonts name their character sets says what its bytes are.
    const std::string charsets = "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'c0}";
    EXPECT_EQ(WithUnicodeEscapes(charsets, codec, 1251), charsets);
    EXPECT_EQ(RtfInCodePage("{\\rtf1 \\'e9}", codec, 1252), "{\\rtf1\\ansicpg1252 {\\uc1\\u233?}}");
}
