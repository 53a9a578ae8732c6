// Writing and registering the uninstaller at the end of the install run.
#include "base/file_stream.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/shell_link.h"
#include "engine/uninstall_registry.h"
#include "package/format.h"
#include "package/pe_image.h"
#include "package/windows_names.h"

#include <windows.h>

#include <algorithm>

namespace ko {

namespace {

// The package file's stub (its first PackageOffset bytes) followed by the log, in TmpPath.
void WriteUninstallerFile(const TKoInstallRun& run, const std::string& tmpPath) {
    TStream& package = run.Data.File();
    ClearReadOnly(tmpPath);
    TFileStream output(tmpPath, TFileMode::Create);
    package.SetPosition(format::PackageOffsetPos);
    const uint32_t stubSize = ReadLE32(package);
    package.SetPosition(0);
    output.CopyFrom(package, stubSize);
    output.Seek(0, TSeekOrigin::End);
    run.Data.AppendUninstallLog(output, run.UninstallList);
    // A Setup.exe signed after the build carries a security directory that points past its
    // program bytes; in this copy it would point into the log, a broken signature.
    ClearSignature(output);
}

TUninstallRegistration Registration(const TKoInstallRun& run, const std::string& exePath) {
    const TKoInstall& data = run.Data;
    TUninstallRegistration entry;
    entry.KeyName = ProductFolderName(data.ProductName);
    entry.UninstallerPath = exePath;
    entry.DisplayVersion =
        DisplayVersion(data.VersionMajor, data.VersionMinor, data.Build, data.Release);
    entry.Publisher = data.Publisher;
    entry.InstallLocation = ExtractFileDir(exePath);
    entry.AboutUrl = WebsiteAddress(data.Website);
    if (!Trim(data.ContactEmail).empty())
        entry.HelpLink = "mailto:" + Trim(data.ContactEmail);
    const int64_t kb = (run.CopiedBytes + 1023) / 1024;
    entry.EstimatedSizeKb = static_cast<uint32_t>(std::min<int64_t>(kb, 0xFFFFFFFF));
    return entry;
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
    RegisterUninstaller(Registration(run, exePath));

    SaveShortcut(linkPath, exePath);
}

} // namespace ko
