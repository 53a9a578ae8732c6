#include "builder/package_reader.h"

#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "package/format.h"
#include "package/sha256.h"
#include "package/stored_item.h"

#include <algorithm>

namespace ko {

using namespace format;

TPackageScan ScanPackage(const std::string& fileName) {
    TPackageScan scan;
    {
        TFileStream stream(fileName, TFileMode::OpenRead);
        scan.FileSize = stream.Size();
    }
    if (scan.FileSize < PackageOffsetPos + 4)
        throw EBuildError("\"" + fileName + "\" is too short to be a Setup.exe or Uninstall.exe");
    scan.Install = std::make_unique<TKoInstall>();
    scan.Install->LoadFromFile(fileName);
    scan.PackageOffset = scan.Install->DataOffset;
    const TKoData* data = scan.Install.get();
    if (!data->DataFound) {
        scan.Install.reset();
        scan.Kind = TPackageKind::Uninstall;
        scan.Uninstall = std::make_unique<TKoUninstall>();
        scan.Uninstall->LoadFromFile(fileName);
        data = scan.Uninstall.get();
    }
    if (!data->DataFound)
        throw EBuildError("\"" + fileName +
                          "\" is no installer: it is neither a Setup.exe nor an Uninstall.exe "
                          "that kosetup made, as it carries no package");
    scan.RecordsEnd = data->RecordsEnd;
    if (data->HasCodePage)
        scan.CodePage = data->CodePage;
    return scan;
}

std::optional<int64_t> ContentSize(TStream& package, const TStoredItem& item, const uint8_t* key) {
    const int64_t block = CipherBlock;
    if (item.Size < block || item.Size % block != 0 || item.Offset < 0 ||
        int64_t(item.Offset) + item.Size > package.Size())
        return std::nullopt;
    TStoredItem last;
    last.Offset = item.Offset + item.Size - block;
    last.Size = block;
    TMemoryStream plain;
    try {
        DecipherStored(package, last, key, plain);
    } catch (const EKoError&) {
        return std::nullopt;
    }
    return item.Size - block + plain.Size();
}

std::optional<TCodeSignature> StoredSignature(TStream& package, const TStoredItem& item,
                                              const uint8_t* key) {
    if (item.Size < CipherBlock || item.Offset < 0 ||
        int64_t(item.Offset) + item.Size > package.Size())
        return std::nullopt;
    std::vector<uint8_t> buffer;
    try {
        const int64_t content = DecipherStoredToMemory(package, item, key, buffer);
        return ReadCodeSignature(std::string(buffer.begin(), buffer.begin() + content));
    } catch (const EKoError&) {
        return std::nullopt;
    }
}

std::string TStoredRecord::Describe(int codePage) const {
    return Kind + " " + std::to_string(Number) + " (" + CodePageToUtf8(Path, codePage) + ")";
}

std::vector<TStoredRecord> StoredRecords(const TKoInstall& install) {
    std::vector<TStoredRecord> records;
    for (size_t i = 0; i < install.Files.size(); ++i) {
        const TKoInstallFile& file = *install.Files[i];
        records.push_back({file, "file", i + 1, file.Path});
    }
    for (size_t i = 0; i < install.Execs.size(); ++i) {
        const TKoInstallExec& exec = *install.Execs[i];
        if (!exec.External)
            records.push_back({exec, "program", i + 1, exec.Path});
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
    if (FScan.Install && !FScan.Install->RecordsDigest)
        throw EBuildError(FName + ": the package records carry no SHA-256 (an older kosetup's "
                                  "installer, or damaged); the installer refuses it");
    if (FScan.Install && FScan.Install->RecordsDamaged)
        throw EBuildError(FName + ": the package records do not match their SHA-256 (damaged)");
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
    TCountingStream sink;
    TSha256Stream digesting(sink);
    try {
        DecipherStored(package, record, key, digesting);
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
