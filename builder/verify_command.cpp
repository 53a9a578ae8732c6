#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/package_reader.h"
#include "builder/platform.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/sub_stream.h"

#include <algorithm>

namespace ko {

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

class TVerifier {
public:
    TVerifier(const std::string& name, const TPackageScan& scan, int codePage)
        : FName(name), FScan(scan), FCodePage(codePage) {}

    void CheckBounds(const TStoredRecord& record) const {
        if (record.Size <= 0 || record.Size % format::CipherBlock != 0)
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

    int64_t CheckCipher(TStream& package, const TStoredRecord& record, const uint8_t* key) const {
        TSubStream window(package, record.Offset, int64_t(record.Offset) + record.Size - 1);
        window.SetPosition(0);
        TCountingStream sink;
        try {
            CipherStream(window, sink, key, format::KeySize, false);
        } catch (const EKoError&) {
            Bad(record, "data does not decipher to a valid final block (wrong key or damage)");
        }
        return sink.Count();
    }

    // Records never share data: in offset order each must end before the next begins.
    void CheckOverlaps(std::vector<TStoredRecord> records) const {
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return a.Offset < b.Offset; });
        for (size_t i = 1; i < records.size(); ++i)
            if (int64_t(records[i - 1].Offset) + records[i - 1].Size > records[i].Offset)
                Bad(records[i], "data overlaps that of " + records[i - 1].Describe(FCodePage));
    }

    [[noreturn]] void Bad(const TStoredRecord& record, const std::string& why) const {
        throw EBuildError(FName + ": " + record.Describe(FCodePage) + ": " + why);
    }

private:
    std::string FName;
    const TPackageScan& FScan;
    int FCodePage;
};

int VerifyUninstall(const std::string& native, const std::string& file, std::ostream& out) {
    TKoUninstall uninstall;
    uninstall.LoadFromFile(native);
    out << "OK: " << file << ": uninstall log with " << uninstall.FolderList.size()
        << " folders and " << uninstall.FileList.size() << " files\n";
    return 0;
}

} // namespace

int VerifyCommand(const std::string& file, std::ostream& out) {
    const std::string native = NativeName(PathFromUtf8(file));
    const TPackageScan scan = ScanPackage(native);
    if (scan.Kind == TPackageKind::Uninstall)
        return VerifyUninstall(native, file, out);
    if (scan.RecordsEnd < 0)
        throw EBuildError(file + ": the package ends before its end record (cut off?)");
    TKoInstall install;
    install.LoadFromFile(native);
    const int codePage =
        IsSupportedCodePage(scan.CodePage.value_or(0)) ? *scan.CodePage : DefaultCodePage;
    const std::vector<TStoredRecord> records = StoredRecords(install);
    const TVerifier verifier(file, scan, codePage);
    for (const TStoredRecord& record : records)
        verifier.CheckBounds(record);
    verifier.CheckOverlaps(records);
    TFileStream package(native, TFileMode::OpenRead);
    int64_t content = 0;
    for (const TStoredRecord& record : records)
        content += verifier.CheckCipher(package, record, install.Key);
    out << "OK: " << file << ": " << install.Files.size() << " file(s), " << install.Execs.size()
        << " run item(s) (" << records.size() - install.Files.size() << " stored), " << content
        << " content bytes\n";
    return 0;
}

} // namespace ko
