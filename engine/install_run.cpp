#include "engine/install_run.h"

#include "base/file_stream.h"
#include "base/win32_util.h"
#include "engine/expert_settings.h"
#include "engine/file_utils.h"
#include "engine/run_items.h"
#include "engine/shell_link.h"
#include "engine/sys_folders.h"

#include <windows.h>

#include <cctype>

namespace ko {

namespace {

void WriteText(const std::string& path, const std::string& text) {
    TFileStream output(path, TFileMode::Create);
    output.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

// Every line of Text, the last one included, followed by CR LF; a line break at the very end
// starts no further line.
std::string CrLfLines(const std::string& text) {
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            result.append(text, start, std::string::npos).append("\r\n");
            break;
        }
        result.append(text, start, end - start).append("\r\n");
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return result;
}

void SaveShortcut(const std::string& linkPath, const std::string& target) {
    ForceDirectories(ExtractFilePath(linkPath));
    TShellLink link;
    link.Target = target;
    link.WorkingDirectory = ExtractFileDir(target);
    link.SaveLink(linkPath);
}

// A file that CheckNewer guards is copied only over an existing one with an earlier last-write
// time; equal times count as the same version.
bool ShouldCopy(const TKoInstallFile& file, const std::string& target) {
    if (!file.CheckNewer || !FileExists(target))
        return true;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(target.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    FindClose(search);
    return FromFileTime(found.ftLastWriteTime) < file.LastWriteTime;
}

void InstallFile(TKoInstall& data, TStream& package, const TVariables& variables,
                 const TKoInstallFile& file, const std::string& menuFolder) {
    const std::string target = ExpandPath(file.Path, variables);
    // Before the decision, so that the folder is there even when the copy is skipped.
    ForceDirectories(ExtractFilePath(target));
    if (ShouldCopy(file, target)) {
        data.Report("Copying file " + target + " ...", 1);
        if (FileExists(target) && !DeleteFileA(target.c_str())) {
            data.Report("WARNING: Unable to overwrite " + target + " ...", 0);
        } else {
            if (!file.NoUninstall)
                data.UninstallList.push_back({target, false});
            WriteStoredData(package,
                            {file.Offset, file.Size, file.CreationTime, file.LastWriteTime},
                            data.Key, target);
        }
    } else {
        data.Report("Skipping " + ExtractFileName(target) + ", found newer version at " + target +
                        " ...",
                    1);
    }
    if (!file.ShortcutName.empty()) {
        const std::string link = menuFolder + "\\" + file.ShortcutName + ".lnk";
        SaveShortcut(link, target);
        data.UninstallList.push_back({link, false});
    }
}

bool InTerminalFolder(const std::string& path) {
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("{metatrader}") != std::string::npos;
}

// Files under "{metatrader}" go into every terminal folder; all others once, in the first pass.
// Run items of stage 2 see the last terminal folder.
void CopyFiles(TKoInstall& data, const std::string& menuFolder) {
    TVariables variables;
    FillVariables(data, variables);
    TFileStream package(data.FileName, TFileMode::OpenRead);
    RunExecs(data, package, variables, stBeforeFiles);
    for (size_t pass = 0; pass < data.TerminalFolders.size(); ++pass) {
        variables.SetValue("{metatrader}", data.TerminalFolders[pass]);
        for (const auto& file : data.Files)
            if (pass == 0 || InTerminalFolder(file->Path))
                InstallFile(data, package, variables, *file, menuFolder);
    }
    RunExecs(data, package, variables, stAfterFiles);
}

bool StartsWithScheme(const std::string& address) {
    const size_t colon = address.find("://");
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(address[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

void InstallDocuments(TKoInstall& data, const std::string& programFolder,
                      const std::string& menuFolder) {
    InstallTextFile(data, programFolder + "\\Readme.rtf", menuFolder + "\\Readme.lnk",
                    data.ReadmeText);
    InstallTextFile(data, programFolder + "\\License.rtf", menuFolder + "\\License.lnk",
                    data.LicenseText);
    InstallTextFile(data, programFolder + "\\What's New.rtf", menuFolder + "\\What's New.lnk",
                    data.WhatsNewText);
}

void InstallInternetShortcuts(TKoInstall& data, const std::string& menuFolder) {
    const std::string website = WebsiteAddress(data.Website);
    if (!website.empty())
        CreateUrlShortcut(data, menuFolder + "\\" + data.Publisher + " Website.url", website);
    if (!Trim(data.ContactEmail).empty()) {
        const std::string address = data.ContactName.empty()
                                        ? data.ContactEmail
                                        : data.ContactName + " <" + data.ContactEmail + ">";
        CreateUrlShortcut(data, menuFolder + "\\Contact Email.url", "mailto:" + address);
    }
}

} // namespace

std::string ProgramFolder(const TKoData& data) {
    return GetSystemFolder(sfProgramFiles, false) + "\\" + data.ProductName;
}

std::string MenuFolder(const TKoData& data) {
    return GetSystemFolder(sfCommonPrograms, false) + "\\" + data.ProductName;
}

void InstallTextFile(TKoInstall& data, const std::string& filePath, const std::string& linkPath,
                     const std::string& text) {
    if (text.empty())
        return;
    data.Report("Copying file " + filePath + " ...", 1);
    data.UninstallList.push_back({filePath, false});
    ForceDirectories(ExtractFilePath(filePath));
    WriteText(filePath, CrLfLines(text));
    data.Report("Creating shortcut " + linkPath + " ...", 1);
    data.UninstallList.push_back({linkPath, false});
    SaveShortcut(linkPath, filePath);
}

void CreateUrlShortcut(TKoInstall& data, const std::string& path, const std::string& address) {
    if (address.empty() || address == "mailto:" || address == "http://")
        return;
    data.Report("Creating shortcut " + path + " ...", 1);
    data.UninstallList.push_back({path, false});
    ForceDirectories(ExtractFilePath(path));
    WriteText(path, "[InternetShortcut]\r\nURL=" + address + "\r\n\r\n");
}

std::string WebsiteAddress(const std::string& website) {
    const std::string address = Trim(website);
    if (address.empty() || StartsWithScheme(address))
        return address;
    return "http://" + address;
}

void TKoInstall::Execute() {
    const int32_t terminals = static_cast<int32_t>(TerminalFolders.size());
    Position = 0;
    Max = (ExpertOptions.empty() ? 0 : terminals) + terminals * static_cast<int32_t>(Files.size()) +
          static_cast<int32_t>(Execs.size()) + 10;
    const std::string programFolder = ProgramFolder(*this);
    const std::string menuFolder = MenuFolder(*this);
    UninstallList.push_back({programFolder, true});
    UninstallList.push_back({menuFolder, true});

    CopyFiles(*this, menuFolder);
    if (!ExpertOptions.empty()) {
        for (const std::string& folder : TerminalFolders) {
            Report("Overriding MetaTrader settings in " + folder + " ...", 1);
            OverrideExpertSettings(*this, folder);
        }
    }
    InstallDocuments(*this, programFolder, menuFolder);
    InstallInternetShortcuts(*this, menuFolder);
    // The log is written inside: nothing recorded after this call would reach it.
    CreateUninstaller(*this, programFolder + "\\Uninstall.exe", menuFolder + "\\Uninstall.lnk");
    Report("Done.", 1);
}

} // namespace ko
