#include "builder/package_reader.h"

#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "package/format.h"
#include "package/scramble.h"
#include "package/tag_stream.h"

namespace ko {

using namespace format;

namespace {

// Walks the top level of a package, keeping the code-page note and where the records end.
void ScanInstall(TTagStreamAdapter& reader, TPackageScan& scan) {
    while (reader.ReadTag()) {
        if (reader.Tag == ptCodePage)
            scan.CodePage = reader.ReadInteger();
        else
            reader.SkipValue();
    }
    if (reader.Tag == TagEnd)
        scan.RecordsEnd = reader.Stream.Position();
}

void ScanUninstall(TTagStreamAdapter& reader, TPackageScan& scan) {
    while (reader.ReadTag()) {
        if (reader.Tag == ltFolder || reader.Tag == ltFile)
            scan.LogEntries.push_back({DecodeString(reader.ReadString()), reader.Tag == ltFolder});
        else
            reader.SkipValue();
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

std::string TStoredRecord::Describe(int codePage) const {
    return Kind + " " + std::to_string(Number) + " (" + CodePageToUtf8(Path, codePage) + ")";
}

std::vector<TStoredRecord> StoredRecords(const TKoInstall& install) {
    std::vector<TStoredRecord> records;
    for (size_t i = 0; i < install.Files.size(); ++i) {
        const TKoInstallFile& f = *install.Files[i];
        records.push_back(
            {"file", i + 1, f.Path, f.Size, f.Offset, f.CreationTime, f.LastWriteTime});
    }
    for (size_t i = 0; i < install.Execs.size(); ++i) {
        const TKoInstallExec& e = *install.Execs[i];
        if (!e.External)
            records.push_back(
                {"program", i + 1, e.Path, e.Size, e.Offset, e.CreationTime, e.LastWriteTime});
    }
    return records;
}

} // namespace ko
