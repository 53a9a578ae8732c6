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
void WriteUninstallerFile(const TKoInstall& data, const std::string& tmpPath) {
    TFileStream package(data.FileName, TFileMode::OpenRead);
    ClearReadOnly(tmpPath);
    TFileStream output(tmpPath, TFileMode::Create);
    package.SetPosition(format::PackageOffsetPos);
    const uint32_t stubSize = ReadLE32(package);
    package.SetPosition(0);
    output.CopyFrom(package, stubSize);
    output.Seek(0, TSeekOrigin::End);
    data.AppendUninstallLog(output);
}

} // namespace

void CreateUninstaller(TKoInstall& data, const std::string& exePath, const std::string& linkPath) {
    data.UninstallList.push_back({linkPath, false});
    data.Report("Creating unistaller ...", 1);
    // The uninstaller is a convenience: an install whose files are all in place is not undone
    // because it could not be written, so failures here end quietly.
    const std::string tmpPath = ChangeFileExt(exePath, ".tmp");
    try {
        ForceDirectories(ExtractFilePath(exePath));
        WriteUninstallerFile(data, tmpPath);
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
    data.Report("Registering unistaller ...", 1);
    RegisterUninstaller(data.ProductName, exePath);

    ForceDirectories(ExtractFilePath(linkPath));
    TShellLink link;
    link.Target = exePath;
    link.WorkingDirectory = ExtractFileDir(exePath);
    link.SaveLink(linkPath);
}

} // namespace ko
