// Writing and registering the uninstaller at the end of the install run.
#include "base/ascii_text.h"
#include "base/file_stream.h"
#include "engine/file_utils.h"
#include "engine/install_run.h"
#include "engine/shell_link.h"
#include "engine/system_codec.h"
#include "engine/uninstall_log.h"
#include "engine/uninstall_registry.h"
#include "package/format.h"
#include "package/pe_image.h"
#include "package/windows_names.h"

#include <windows.h>

#include <algorithm>

namespace ko {

namespace {

// The package file's stub (its first PackageOffset bytes) followed by the log, in Path.
void WriteUninstallerFile(const TKoInstallRun& run, const std::vector<TUninstallEntry>& log,
                          const std::string& path) {
    TStream& package = run.Data.File();
    TFileStream output(path, TFileMode::Create);
    package.SetPosition(format::PackageOffsetPos);
    const uint32_t stubSize = ReadLE32(package);
    package.SetPosition(0);
    output.CopyFrom(package, stubSize);
    output.Seek(0, TSeekOrigin::End);
    run.Data.AppendUninstallLog(output, log, &SystemCodec());
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

// This run's entries with those of the uninstaller at ExePath that still exist, and with what a
// killed run created and this one did not write again. An earlier uninstaller that cannot be
// read (missing, damaged, or from another tool) adds nothing.
std::vector<TUninstallEntry> AccumulatedLog(const TKoInstallRun& run, const std::string& exePath) {
    TKoUninstall earlier;
    if (FileExists(exePath)) {
        try {
            LoadData(earlier, exePath);
        } catch (const std::exception&) {
            earlier.Clear();
        }
    }
    // A file this run wrote is in its own entries, or left out of them on purpose.
    for (const TUninstallEntry& entry : run.Transaction.InheritedEntries())
        if (entry.Folder)
            earlier.FolderList.push_back(entry.Path);
        else if (!run.Transaction.Wrote(entry.Path))
            earlier.FileList.push_back(entry.Path);
    return MergeUninstallLog(run.UninstallList, earlier, [](const TUninstallEntry& entry) {
        return entry.Folder ? DirectoryExists(entry.Path) : FileExists(entry.Path);
    });
}

} // namespace

void CreateUninstaller(TKoInstallRun& run, const std::string& exePath,
                       const std::string& linkPath) {
    run.UninstallList.push_back({linkPath, false});
    run.Report("Creating unistaller ...", 1);
    const std::vector<TUninstallEntry> log = AccumulatedLog(run, exePath);
    // Where earlier versions left the new uninstaller when the old one could not be replaced.
    DeleteFilePath(ChangeFileExt(exePath, ".tmp"));
    ClearReadOnly(exePath);
    // An uninstaller that is not in place would leave the entry pointing at a missing or stale
    // one: the run fails instead. A scanner holding the new file gets a few tries to let go.
    run.Transaction.WriteFile(
        exePath, [&](const std::string& temp) { WriteUninstallerFile(run, log, temp); },
        THeldTarget::Retry);
    SaveShortcut(run.Transaction, linkPath, exePath);
    // Last, so that the entry, its version included, changes only when everything is in place.
    run.Report("Registering unistaller ...", 1);
    RegisterUninstaller(Registration(run, exePath));
}

} // namespace ko
