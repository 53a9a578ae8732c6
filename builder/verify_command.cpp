#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/package_reader.h"
#include "builder/platform.h"
#include "package/format.h"

namespace ko {

namespace {

int VerifyUninstall(const TKoUninstall& uninstall, const std::string& file, std::ostream& out) {
    out << "OK: " << file << ": uninstall log with " << uninstall.FolderList.size()
        << " folders and " << uninstall.FileList.size() << " files\n";
    return 0;
}

// What the installer needs besides the stored data: a damaged first record would otherwise
// read as a product without a name or files and pass every other check.
void CheckIdentity(const std::string& file, const TKoInstall& install) {
    if (install.ProductName.empty())
        throw EBuildError(file + ": the package names no product (its first records damaged?)");
    if (!install.KeyCount)
        throw EBuildError(file + ": the package holds no key record");
    if (*install.KeyCount != format::KeySize)
        throw EBuildError(file + ": the key record holds " + std::to_string(*install.KeyCount) +
                          " bytes instead of " + std::to_string(format::KeySize));
}

} // namespace

int VerifyCommand(const std::string& file, std::ostream& out) {
    const std::string native = NativeName(PathFromUtf8(file));
    const TPackageScan scan = ScanPackage(native);
    if (scan.Kind == TPackageKind::Uninstall)
        return VerifyUninstall(*scan.Uninstall, file, out);
    const TKoInstall& install = *scan.Install;
    const int codePage =
        IsSupportedCodePage(scan.CodePage.value_or(0)) ? *scan.CodePage : DefaultCodePage;
    const std::vector<TStoredRecord> records = StoredRecords(install);
    const TPackageCheck check(file, scan, codePage);
    check.CheckStructure(records);
    CheckIdentity(file, install);
    TFileStream package(native, TFileMode::OpenRead);
    int64_t content = 0;
    for (const TStoredRecord& record : records)
        content += check.CheckCipher(package, record, install.Key);
    out << "OK: " << file << ": " << install.Files.size() << " file(s), " << install.Execs.size()
        << " run item(s) (" << records.size() - install.Files.size() << " stored), " << content
        << " content bytes\n";
    return 0;
}

} // namespace ko
