#include "builder/package_reader.h"

#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/scramble.h"
#include "package/sha256.h"
#include "package/sub_stream.h"
#include "package/tag_stream.h"

#include <algorithm>

namespace ko {

using namespace format;

namespace {

// Walks the top level of a package, keeping the code-page note, the key's size and where the
// records end.
void ScanInstall(TTagStreamAdapter& reader, TPackageScan& scan) {
    while (reader.ReadTag()) {
        if (reader.Tag == ptCodePage) {
            scan.CodePage = reader.ReadInteger();
        } else if (reader.Tag == ptKey) {
            // Read as the loader reads it, whatever type the record claims.
            const int64_t count = reader.ReadCount();
            scan.KeySize = count;
            if (count > 0)
                reader.Stream.Seek(count, TSeekOrigin::Current);
        } else {
            reader.SkipValue();
        }
    }
    if (!reader.StreamEnded)
        scan.RecordsEnd = reader.Stream.Position();
}

void ScanUninstall(TTagStreamAdapter& reader, TPackageScan& scan) {
    bool amendable = false;
    while (reader.ReadTag()) {
        if (reader.Tag == ltCodePage) {
            scan.CodePage = reader.ReadInteger();
        } else if (reader.Tag == ltFolder || reader.Tag == ltFile) {
            scan.LogEntries.push_back(
                {DecodeString(reader.ReadString()), reader.Tag == ltFolder, false});
            amendable = true;
        } else if (reader.Tag == ltUtf8Path && amendable) {
            scan.LogEntries.back().Path = DecodeString(reader.ReadString());
            scan.LogEntries.back().Utf8 = true;
            amendable = false;
        } else {
            reader.SkipValue();
        }
    }
    scan.RecordsEnd = reader.Stream.Position();
}

} // namespace

TPackageScan ScanPackage(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::OpenRead);
    TPackageScan scan;
    scan.FileSize = stream.Size();
    if (scan.FileSize < PackageOffsetPos + 4)
        throw EBuildError("\"" + fileName + "\" is too short to be a Setup.exe or Uninstall.exe");
    stream.SetPosition(PackageOffsetPos);
    scan.PackageOffset = ReadLE32(stream);
    stream.SetPosition(scan.PackageOffset);
    TTagStreamAdapter reader(stream);
    if (scan.PackageOffset < scan.FileSize && reader.ReadMagic(MagicPackage)) {
        scan.Kind = TPackageKind::Install;
        ScanInstall(reader, scan);
        return scan;
    }
    stream.SetPosition(scan.PackageOffset);
    if (scan.PackageOffset < scan.FileSize && reader.ReadMagic(MagicUninstall)) {
        scan.Kind = TPackageKind::Uninstall;
        ScanUninstall(reader, scan);
        return scan;
    }
    throw EBuildError("\"" + fileName +
                      "\" holds no package: there is no \"KOVA\" or \"KOVU\" at " + "offset " +
                      std::to_string(scan.PackageOffset) + " (the pointer at 136)");
}

std::optional<int64_t> ContentSize(TStream& package, int32_t offset, int32_t size,
                                   const uint8_t* key) {
    const int64_t block = CipherBlock;
    if (size < block || size % block != 0 || offset < 0 || int64_t(offset) + size > package.Size())
        return std::nullopt;
    const int64_t last = int64_t(offset) + size - block;
    TSubStream window(package, last, last + block - 1);
    window.SetPosition(0);
    TMemoryStream plain;
    try {
        CipherStream(window, plain, key, KeySize, false);
    } catch (const EKoError&) {
        return std::nullopt;
    }
    return size - block + plain.Size();
}

std::string TStoredRecord::Describe(int codePage) const {
    return Kind + " " + std::to_string(Number) + " (" + CodePageToUtf8(Path, codePage) + ")";
}

std::vector<TStoredRecord> StoredRecords(const TKoInstall& install) {
    std::vector<TStoredRecord> records;
    for (size_t i = 0; i < install.Files.size(); ++i) {
        const TKoInstallFile& f = *install.Files[i];
        records.push_back({"file", i + 1, f.Path, f.Size, f.Offset, f.CreationTime, f.LastWriteTime,
                           f.HasDigest, f.Digest});
    }
    for (size_t i = 0; i < install.Execs.size(); ++i) {
        const TKoInstallExec& e = *install.Execs[i];
        if (!e.External)
            records.push_back({"program", i + 1, e.Path, e.Size, e.Offset, e.CreationTime,
                               e.LastWriteTime, e.HasDigest, e.Digest});
    }
    return records;
}

namespace {

// Takes deciphered bytes and only counts them.
class TCountingStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override {
        FCount += count;
        return count;
    }
    int64_t Seek(int64_t, TSeekOrigin) override { return FCount; }
    int64_t Count() const { return FCount; }

private:
    int64_t FCount = 0;
};

} // namespace

void TPackageCheck::CheckStructure(const std::vector<TStoredRecord>& records) const {
    if (FScan.RecordsEnd < 0)
        throw EBuildError(FName + ": the package ends before its end record (cut off?)");
    for (const TStoredRecord& record : records)
        CheckBounds(record);
    CheckOverlaps(records);
}

void TPackageCheck::CheckBounds(const TStoredRecord& record) const {
    if (record.Size <= 0 || record.Size % CipherBlock != 0)
        Bad(record,
            "stored size " + std::to_string(record.Size) + " is not a positive multiple of 16");
    if (record.Offset < FScan.RecordsEnd)
        Bad(record, "data at offset " + std::to_string(record.Offset) +
                        " lies before the end of the package records (" +
                        std::to_string(FScan.RecordsEnd) + ")");
    if (int64_t(record.Offset) + record.Size > FScan.FileSize)
        Bad(record, "data at offset " + std::to_string(record.Offset) + " with size " +
                        std::to_string(record.Size) + " runs past the end of the file (" +
                        std::to_string(FScan.FileSize) + " bytes)");
}

// Records never share data: in offset order each must end before the next begins.
void TPackageCheck::CheckOverlaps(std::vector<TStoredRecord> records) const {
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return a.Offset < b.Offset; });
    for (size_t i = 1; i < records.size(); ++i)
        if (int64_t(records[i - 1].Offset) + records[i - 1].Size > records[i].Offset)
            Bad(records[i], "data overlaps that of " + records[i - 1].Describe(FCodePage));
}

int64_t TPackageCheck::CheckCipher(TStream& package, const TStoredRecord& record,
                                   const uint8_t* key) const {
    TSubStream window(package, record.Offset, int64_t(record.Offset) + record.Size - 1);
    window.SetPosition(0);
    TCountingStream sink;
    TSha256Stream digesting(sink);
    try {
        CipherStream(window, digesting, key, KeySize, false);
    } catch (const EKoError&) {
        Bad(record, "data does not decipher to a valid final block (wrong key or damage)");
    }
    if (record.HasDigest && digesting.Finish() != record.Digest)
        Bad(record, "data does not match its SHA-256 (damaged)");
    return sink.Count();
}

void TPackageCheck::Bad(const TStoredRecord& record, const std::string& why) const {
    throw EBuildError(FName + ": " + record.Describe(FCodePage) + ": " + why);
}

} // namespace ko
