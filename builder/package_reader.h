// What the inspecting commands (list, verify, extract) read: the file loaded by the installer's
// own readers, and the checks on its stored data.
#pragma once

#include "builder/code_signature.h"
#include "package/ko_data.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ko {

enum class TPackageKind { Install, Uninstall };

struct TPackageScan {
    TPackageKind Kind = TPackageKind::Install;
    int64_t FileSize = 0;
    uint32_t PackageOffset = 0;
    // Just behind the top-level end record; -1 when the stream ended before one.
    int64_t RecordsEnd = -1;
    std::optional<int32_t> CodePage; // when the file records one
    // The one of the two that Kind names, loaded, its texts as stored.
    std::unique_ptr<TKoInstall> Install;
    std::unique_ptr<TKoUninstall> Uninstall;
};

// Loads what the pointer at 136 finds. Throws EBuildError naming the file when it carries
// neither a package nor an uninstall log, and EKoError naming it when the data is damaged.
TPackageScan ScanPackage(const std::string& fileName);

// A record with stored data: a file or a program kept in the package.
struct TStoredRecord : TStoredItem {
    std::string Kind;  // "file" or "program"
    size_t Number = 0; // 1-based among the records of its kind
    std::string Path;

    // "file 3 ({app}\Manual.txt)", the path in UTF-8.
    std::string Describe(int codePage) const;
};

// Files first, then stored programs: the order of their data in the file.
std::vector<TStoredRecord> StoredRecords(const TKoInstall& install);

// Checks a package before any of its stored data is used. Every check throws EBuildError
// naming the file (Name, as given) and, where there is one, the record.
class TPackageCheck {
public:
    TPackageCheck(const std::string& name, const TPackageScan& scan, int codePage)
        : FName(name), FScan(scan), FCodePage(codePage) {}

    // The end record is there, the records carry their SHA-256 and match it,
    // and every record's data lies inside the file behind the records, is a positive multiple
    // of 16 bytes and shares no byte with another's.
    void CheckStructure(const std::vector<TStoredRecord>& records) const;
    // Deciphers the record's data without keeping it and checks it against the record's
    // SHA-256 when it has one; returns the content bytes.
    int64_t CheckCipher(TStream& package, const TStoredRecord& record, const uint8_t* key) const;
    [[noreturn]] void Bad(const TStoredRecord& record, const std::string& why) const;

private:
    void CheckBounds(const TStoredRecord& record) const;
    void CheckOverlaps(std::vector<TStoredRecord> records) const;

    std::string FName;
    const TPackageScan& FScan;
    int FCodePage;
};
// "kosetup list --json": the listing's content as one JSON object, texts in UTF-8 from CodePage.
void ListJson(const std::string& file, const TPackageScan& scan, int codePage, std::ostream& out);

// The content bytes of a record's stored data, read from its deciphered final block; nothing
// when the data lies outside the package or its final block is not valid.
std::optional<int64_t> ContentSize(TStream& package, const TStoredItem& item, const uint8_t* key);

// The signature of a stored program or DLL, read from its deciphered content; nothing when it
// carries none, or when its data lies outside the package or does not decipher.
std::optional<TCodeSignature> StoredSignature(TStream& package, const TStoredItem& item,
                                              const uint8_t* key);

} // namespace ko
