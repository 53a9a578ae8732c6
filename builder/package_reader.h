// What the inspecting commands (list, verify, extract) need beyond the stub's own loaders: which
// kind of data a file carries, where its tag stream ends, the builder's code-page note, and the
// uninstall log's entries in their order.
#pragma once

#include "package/ko_data.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ko {

enum class TPackageKind { Install, Uninstall };

// An entry of an uninstall log: its path in the log's code page, or in UTF-8 when the log
// carries it so (a name that code page cannot hold).
struct TLogEntry {
    std::string Path;
    bool Folder = false;
    bool Utf8 = false;
};

struct TPackageScan {
    TPackageKind Kind = TPackageKind::Install;
    int64_t FileSize = 0;
    uint32_t PackageOffset = 0;
    // Just behind the top-level end record; -1 when the stream ended before one.
    int64_t RecordsEnd = -1;
    std::optional<int32_t> CodePage;
    std::optional<int64_t> KeySize;    // the count of the key record, when there is one
    std::vector<TLogEntry> LogEntries; // uninstall logs only, in log order
};

// Reads the pointer at 136 and walks the top level of what it finds. Throws EBuildError naming
// the file when it carries neither a package nor an uninstall log.
TPackageScan ScanPackage(const std::string& fileName);

// A record with stored data: a file or a program kept in the package.
struct TStoredRecord {
    std::string Kind;  // "file" or "program"
    size_t Number = 0; // 1-based among the records of its kind
    std::string Path;
    int32_t Size = 0;
    int32_t Offset = 0;
    uint64_t CreationTime = 0;
    uint64_t LastWriteTime = 0;
    bool HasDigest = false;
    TDigest Digest{};

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

    // The end record is there, and every record's data lies inside the file behind the
    // records, is a positive multiple of 16 bytes and shares no byte with another's.
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
std::optional<int64_t> ContentSize(TStream& package, int32_t offset, int32_t size,
                                   const uint8_t* key);

} // namespace ko
