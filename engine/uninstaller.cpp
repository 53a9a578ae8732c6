// Writing and registering the uninstaller at the end of the install run.
#include "base/file_stream.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/shell_link.h"
#include "engine/uninstall_registry.h"
#include "package/format.h"
#include "package/windows_names.h"

#include <windows.h>

namespace ko {

namespace {

// The package file's stub (its first PackageOffset bytes) followed by the log, in TmpPath.
void WriteUninstallerFile(const TKoInstallRun& run, const std::string& tmpPath) {
    TFileStream package(run.Data.FileName, TFileMode::OpenRead);
    ClearReadOnly(tmpPath);
    TFileStream output(tmpPath, TFileMode::Create);
    package.SetPosition(format::PackageOffsetPos);
    const uint32_t stubSize = ReadLE32(package);
    package.SetPosition(0);
    output.CopyFrom(package, stubSize);
    output.Seek(0, TSeekOrigin::End);
    run.Data.AppendUninstallLog(output, run.UninstallList);
}

} // namespace

void CreateUninstaller(TKoInstallRun& run, const std::string& exePath,
                       const std::string& linkPath) {
    run.UninstallList.push_back({linkPath, false});
    run.Report("Creating unistaller ...", 1);
    // The uninstaller is a convenience: an install whose files are all in place is not undone
    // because it could not be written, so failures here end quietly.
    const std::string tmpPath = ChangeFileExt(exePath, ".tmp");
    try {
        ForceDirectories(ExtractFilePath(exePath));
        WriteUninstallerFile(run, tmpPath);
        // Replaced in one step: deleting the old one first would leave none at all, with the
        // registry pointing there, whenever the rename then failed. When it fails (an
        // uninstaller still running from an earlier install) the new one stays as ".tmp".
        ClearReadOnly(exePath);
        MoveFileExA(tmpPath.c_str(), exePath.c_str(), MOVEFILE_REPLACE_EXISTING);
    } catch (...) {
        DeleteFileA(tmpPath.c_str());
    }
    run.Report("Registering unistaller ...", 1);
    RegisterUninstaller(ProductFolderName(run.Data.ProductName), exePath);

    SaveShortcut(linkPath, exePath);
}

} // namespace ko
