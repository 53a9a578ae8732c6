#include "test_files.h"

#include "package/cipher.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/package_writer.h"
#include "package/pe_image.h"
#include "package/scramble.h"
#include "package/tag_stream.h"
#include "package/text_codec.h"

#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace kotest {

using namespace ko::format;

std::vector<uint8_t> MakeJpeg(int width, int height, bool cmyk) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = cmyk ? 4 : 1;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width * info.input_components), 0x80);
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

std::vector<uint8_t> FakeCleanStub(uint32_t size) {
    std::vector<uint8_t> stub(size, 0);
    stub[0] = 'M';
    stub[1] = 'Z';
    if (size >= 260) {
        ko::PutLE32(stub.data() + 0x3C, 256);
        std::memcpy(stub.data() + 256, "PE\0\0", 4);
    }
    return stub;
}

std::vector<uint8_t> FakeStub(uint32_t size) {
    std::vector<uint8_t> stub = FakeCleanStub(size);
    ko::PutLE32(stub.data() + 136, size);
    return stub;
}

namespace {

// The translations both seeds carry; the package adds their documents.
std::vector<ko::TKoLanguage> SeedLanguages() {
    return {{"de",
             "Deutsch",
             {{"button.next", "Weiter >"}, {"page.finish.install_text", "{name} ist bereit."}},
             "{\\rtf1 Lizenz}",
             "{\\rtf1 Liesmich}",
             "{\\rtf1 Neu}"},
            {"ja", "日本語", {{"button.next", "次へ >"}}, "", "", ""}};
}

void FillIdentity(ko::TKoData& data) {
    data.CodePage = 1252;
    data.ProductName = "Seed EA";
    data.VersionMajor = 2;
    data.VersionMinor = 5;
    data.Build = 77;
    data.Release = 3;
    data.Publisher = "Seed Publisher";
    data.Website = "https://example.com/seed";
    data.Address = "1 Seed Road";
    data.ContactName = "Ann";
    data.ContactEmail = "ann@example.com";
    data.Banner.LoadFromBytes(MakeJpeg(16, 8));
    data.Languages = SeedLanguages();
}

std::vector<uint8_t> Records(const ko::TKoInstall& install) {
    ko::TMemoryStream records;
    ko::WritePackage(records, install);
    return records.Data();
}

} // namespace

std::vector<uint8_t> SeedSetup() {
    ko::TKoInstall install;
    FillIdentity(install);
    install.LicenseText = "{\\rtf1 Licence}";
    install.ReadmeText = "{\\rtf1 Readme}";
    install.WhatsNewText = "{\\rtf1 News}";
    install.ExpertOptions = "1 0 1";
    for (int i = 0; i < KeySize; ++i)
        install.Key[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::vector<std::string> contents = {"expert", "manual text", "MZ setup"};
    const auto stored = [&](ko::TStoredItem& item, size_t content) {
        item.CreationTime = 0x01D0000012345678ull + content;
        item.LastWriteTime = 0x01DA0000ABCDEF00ull + content;
        item.Size = static_cast<int32_t>(StoredSize(int64_t(contents[content].size())));
        ko::TSha256 sha;
        sha.Update(contents[content]);
        item.Digest = sha.Finish();
        item.HasDigest = true;
    };
    ko::TKoInstallFile& expert = install.AddFile();
    expert.Path = "{metatrader}\\MQL4\\Experts\\Seed.ex4";
    stored(expert, 0);
    ko::TKoInstallFile& manual = install.AddFile();
    manual.Path = "{app}\\Manual.txt";
    manual.ShortcutName = "Seed Manual";
    manual.CheckNewer = 1;
    manual.NoUninstall = 1;
    stored(manual, 1);
    ko::TKoInstallExec& setup = install.AddExec();
    setup.Path = "{app}\\setup.exe";
    setup.Title = "Setting up";
    setup.Parameters = "/quiet";
    setup.Stage = ko::stAfterFiles;
    stored(setup, 2);
    ko::TKoInstallExec& external = install.AddExec();
    external.External = 1;
    external.Path = "{windir}\\system32\\cmd.exe";
    external.Parameters = "/c exit 0";
    external.Stage = ko::stBeforeFiles;
    // The records' length does not depend on the offsets they hold: measure, then place.
    int64_t offset = StubEnd + int64_t(Records(install).size());
    for (ko::TStoredItem* item :
         {static_cast<ko::TStoredItem*>(&expert), static_cast<ko::TStoredItem*>(&manual),
          static_cast<ko::TStoredItem*>(&setup)}) {
        item->Offset = static_cast<int32_t>(offset);
        offset += item->Size;
    }
    ko::TMemoryStream file(FakeStub(StubEnd));
    file.Seek(0, ko::TSeekOrigin::End);
    ko::WritePackage(file, install);
    for (const std::string& content : contents) {
        ko::TMemoryStream plain(std::vector<uint8_t>(content.begin(), content.end()));
        ko::CipherStream(plain, file, install.Key, KeySize, true);
    }
    return file.Data();
}

std::vector<uint8_t> SeedUninstaller() {
    ko::TKoInstall install;
    FillIdentity(install);
    install.Language = "de";
    // Code page 1252 holds the first folder and file, not the Cyrillic ones: those carry their
    // UTF-8 record.
    const std::vector<ko::TUninstallEntry> entries = {
        {"C:\\Program Files (x86)\\Seed EA", true},
        {"C:\\Program Files (x86)\\Seed EA\\Manual.txt", false},
        {"C:\\Users\\Иван\\MT4\\MQL4\\Experts\\Seed", true},
        {"C:\\Users\\Иван\\MT4\\MQL4\\Experts\\Seed\\Seed.ex4", false},
        {"C:\\Program Files (x86)\\Seed EA\\Uninstall.exe", false}};
    const ko::TTextCodec codec = ko::TableCodec(1252);
    ko::TMemoryStream file(FakeStub(StubEnd));
    file.Seek(0, ko::TSeekOrigin::End);
    install.AppendUninstallLog(file, entries, &codec);
    return file.Data();
}

std::vector<uint8_t> SeedMinimalLog() {
    ko::TMemoryStream file(FakeStub(StubEnd));
    file.Seek(0, ko::TSeekOrigin::End);
    ko::TTagStreamAdapter writer(file);
    writer.WriteMagic(MagicUninstall);
    writer.WriteString(ltFolder, ko::EncodeString("C:\\A"));
    writer.WriteString(ltUtf8Path, ko::EncodeString("C:\\Ä"));
    return file.Data();
}

namespace {

constexpr size_t PeAt = 0x40;           // right behind the DOS header
constexpr size_t RawAt = 0x200;         // the one section's data, at the file alignment
constexpr uint32_t SectionRva = 0x1000; // and its address, at the section alignment
constexpr size_t ImportEntry = 20;

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    ko::PutLE32(&bytes[at], value);
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    ko::PutLE16(&bytes[at], value);
}

} // namespace

std::vector<uint8_t> MakeDll(uint16_t machine, const std::vector<std::string>& imports, bool dll,
                             TDllLayout* layout) {
    const bool pe32 = machine == ko::PeMachineI386;
    const size_t optionalSize = pe32 ? 224 : 240;
    const size_t optional = PeAt + 24;
    const size_t sections = optional + optionalSize;
    // The section: the import descriptors with their closing one of zeros, then the names.
    std::vector<uint8_t> section((imports.size() + 1) * ImportEntry, 0);
    std::vector<size_t> names;
    for (size_t i = 0; i < imports.size(); ++i) {
        ko::PutLE32(&section[i * ImportEntry + 12], SectionRva + uint32_t(section.size()));
        section.insert(section.end(), imports[i].begin(), imports[i].end());
        section.push_back(0);
        names.push_back(RawAt + section.size());
    }
    const size_t rawSize = (section.size() + 0x1FF) & ~size_t(0x1FF);
    std::vector<uint8_t> bytes(RawAt + rawSize, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, size_t(NewHeaderPointer), PeAt);
    std::memcpy(&bytes[PeAt], "PE\0\0", 4);
    Put16(bytes, PeAt + 4, machine);
    Put16(bytes, PeAt + 6, 1); // sections
    Put16(bytes, PeAt + 20, uint16_t(optionalSize));
    // Executable, and 32-bit machine or large-address aware; then the DLL flag.
    Put16(bytes, PeAt + 22, uint16_t((pe32 ? 0x0102 : 0x0022) | (dll ? 0x2000 : 0)));
    Put16(bytes, optional, pe32 ? 0x10B : 0x20B);
    Put32(bytes, optional + 32, 0x1000);              // section alignment
    Put32(bytes, optional + 36, 0x200);               // file alignment
    Put32(bytes, optional + 56, SectionRva + 0x1000); // size of image
    Put32(bytes, optional + 60, RawAt);               // size of headers
    Put16(bytes, optional + 68, 2);                   // a GUI subsystem
    const size_t count = pe32 ? 92 : 108;
    Put32(bytes, optional + count, 16); // data directories
    Put32(bytes, optional + count + 4 + 8, SectionRva);
    Put32(bytes, optional + count + 4 + 12, uint32_t(section.size()));
    std::memcpy(&bytes[sections], ".idata", 6);
    Put32(bytes, sections + 8, uint32_t(section.size()));
    Put32(bytes, sections + 12, SectionRva);
    Put32(bytes, sections + 16, uint32_t(rawSize));
    Put32(bytes, sections + 20, RawAt);
    Put32(bytes, sections + 36, 0xC0000040); // initialised data, read and write
    std::copy(section.begin(), section.end(), bytes.begin() + RawAt);
    if (layout)
        *layout = {PeAt, optional + 64, optional + count + 4 + 4 * 8, sections + 40, names};
    return bytes;
}

} // namespace kotest
