// Writing and registering the uninstaller at the end of the install run.
#include "base/file_stream.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/shell_link.h"
#include "engine/uninstall_registry.h"
#include "package/format.h"

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
        if (FileExists(exePath)) {
            ClearReadOnly(exePath);
            DeleteFileA(exePath.c_str());
        }
        // An uninstaller still running from an earlier install cannot be replaced; the
        // temporary file would then be left behind, listed nowhere.
        if (!MoveFileA(tmpPath.c_str(), exePath.c_str()))
            DeleteFileA(tmpPath.c_str());
    } catch (...) {
        DeleteFileA(tmpPath.c_str());
    }
    run.Report("Registering unistaller ...", 1);
    RegisterUninstaller(run.Data.ProductName, exePath);

    ForceDirectories(ExtractFilePath(linkPath));
    TShellLink link;
    link.Target = exePath;
    link.WorkingDirectory = ExtractFileDir(exePath);
    link.SaveLink(linkPath);
}

} // namespace ko
