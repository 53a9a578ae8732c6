// What the inspecting commands (list, verify, extract) need beyond the stub's own loaders: which
// kind of data a file carries, where its tag stream ends, the builder's code-page note, and the
// uninstall log's entries in their order.
#pragma once

#include "package/ko_data.h"

#include <cstdint>
#include <optional>
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
    std::optional<int32_t> CodePage;
    std::vector<TUninstallEntry> LogEntries; // uninstall logs only, in log order
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

    // "file 3 ({app}\Manual.txt)", the path in UTF-8.
    std::string Describe(int codePage) const;
};

// Files first, then stored programs: the order of their data in the file.
std::vector<TStoredRecord> StoredRecords(const TKoInstall& install);

} // namespace ko
