#include "package/package_writer.h"

#include "package/format.h"
#include "package/language_records.h"
#include "package/records_digest.h"
#include "package/scramble.h"
#include "package/tag_stream.h"

#include <algorithm>

namespace ko {

using namespace format;

namespace {

void WriteText(TTagStreamAdapter& writer, int32_t tag, const std::string& text) {
    writer.WriteString(tag, EncodeString(text));
}

void WriteBytes(TTagStreamAdapter& writer, int32_t tag, std::vector<uint8_t> bytes) {
    TMemoryStream source(std::move(bytes));
    writer.WriteStream(tag, source, source.Size());
}

void WriteTime(TTagStreamAdapter& writer, int32_t lowTag, uint64_t time) {
    writer.WriteInteger(lowTag, static_cast<int32_t>(static_cast<uint32_t>(time)));
    writer.WriteInteger(lowTag + 1, static_cast<int32_t>(static_cast<uint32_t>(time >> 32)));
}

void WriteHeader(TTagStreamAdapter& writer, const TKoInstall& install) {
    writer.WriteInteger(ptCodePage, install.CodePage);
    WriteText(writer, ptProductName, install.ProductName);
    writer.WriteInteger(ptVersionMajor, install.VersionMajor);
    writer.WriteInteger(ptVersionMinor, install.VersionMinor);
    writer.WriteInteger(ptBuild, install.Build);
    writer.WriteInteger(ptRelease, install.Release);
    WriteText(writer, ptPublisher, install.Publisher);
    WriteText(writer, ptWebsite, install.Website);
    WriteText(writer, ptAddress, install.Address);
    WriteText(writer, ptContactName, install.ContactName);
    WriteText(writer, ptContactEmail, install.ContactEmail);
    WriteText(writer, ptLicenseText, install.LicenseText);
    WriteText(writer, ptReadmeText, install.ReadmeText);
    WriteText(writer, ptWhatsNewText, install.WhatsNewText);
    WriteText(writer, ptExpertOptions, install.ExpertOptions);
    std::vector<uint8_t> masked(std::begin(install.Key), std::end(install.Key));
    for (uint8_t& byte : masked)
        byte ^= KeyMask;
    WriteBytes(writer, ptKey, std::move(masked));
    if (!install.Banner.Empty())
        WriteBytes(writer, ptBanner, install.Banner.Bytes());
}

void WriteDigest(TTagStreamAdapter& writer, int32_t tag, const TDigest& digest) {
    WriteBytes(writer, tag, std::vector<uint8_t>(digest.begin(), digest.end()));
}

void WriteFile(TTagStreamAdapter& writer, const TKoInstallFile& file) {
    writer.WriteTag(ptFile, ttList);
    WriteText(writer, ftPath, file.Path);
    WriteTime(writer, ftCreationLow, file.CreationTime);
    WriteTime(writer, ftLastWriteLow, file.LastWriteTime);
    WriteText(writer, ftShortcutName, file.ShortcutName);
    writer.WriteInteger(ftSize, file.Size);
    writer.WriteInteger(ftOffset, file.Offset);
    writer.WriteByte(ftCheckNewer, file.CheckNewer);
    writer.WriteByte(ftNoUninstall, file.NoUninstall);
    WriteDigest(writer, ftDigest, file.Digest);
    writer.WriteTag(TagEnd, 0);
}

void WriteExec(TTagStreamAdapter& writer, const TKoInstallExec& exec) {
    writer.WriteTag(ptExec, ttList);
    writer.WriteByte(etExternal, exec.External);
    WriteText(writer, etPath, exec.Path);
    WriteText(writer, etTitle, exec.Title);
    WriteText(writer, etParameters, exec.Parameters);
    writer.WriteInteger(etStage, exec.Stage);
    if (!exec.External) {
        WriteTime(writer, etCreationLow, exec.CreationTime);
        WriteTime(writer, etLastWriteLow, exec.LastWriteTime);
        writer.WriteInteger(etSize, exec.Size);
        writer.WriteInteger(etOffset, exec.Offset);
        WriteDigest(writer, etDigest, exec.Digest);
    }
    writer.WriteTag(TagEnd, 0);
}

} // namespace

void SealRecords(std::vector<uint8_t>& records) {
    TMemoryStream record;
    TTagStreamAdapter writer(record);
    // Zeros for now: the digest is of the records behind it too.
    WriteBytes(writer, ptRecordsDigest, std::vector<uint8_t>(DigestSize));
    const size_t magicSize = 4;
    records.insert(records.begin() + magicSize, record.Data().begin(), record.Data().end());
    const size_t valueAt = magicSize + record.Data().size() - DigestSize;
    const TDigest digest = RecordsDigest(records, valueAt);
    std::copy(digest.begin(), digest.end(), records.begin() + static_cast<ptrdiff_t>(valueAt));
}

void WritePackage(TStream& output, const TKoInstall& install) {
    TMemoryStream records;
    TTagStreamAdapter writer(records);
    writer.WriteMagic(MagicPackage);
    WriteHeader(writer, install);
    for (const auto& file : install.Files)
        WriteFile(writer, *file);
    for (const auto& exec : install.Execs)
        WriteExec(writer, *exec);
    for (const TKoLanguage& language : install.Languages)
        WriteLanguageList(writer, ptLanguage, language, true);
    writer.WriteTag(TagEnd, 0);
    SealRecords(records.Data());
    output.WriteBuffer(records.Data().data(), int64_t(records.Data().size()));
}

} // namespace ko
