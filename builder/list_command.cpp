#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/commands.h"
#include "builder/digest.h"
#include "builder/package_reader.h"
#include "builder/platform.h"
#include "builder/unsigned_files.h"
#include "builder/version_resource.h"
#include "package/format.h"

#include <chrono>
#include <cstdio>

namespace ko {

namespace {

const char* const StageNames[] = {"wizard start", "before files", "after files", "wizard close"};

class TLister {
public:
    TLister(std::ostream& out, int codePage) : FOut(out), FCodePage(codePage) {}

    void Text(const char* label, const std::string& value) {
        Line(label, "\"" + CodePageToUtf8(value, FCodePage) + "\"");
    }
    void Document(const char* label, const std::string& value) {
        Line(label, value.empty() ? "none" : std::to_string(value.size()) + " bytes");
    }
    void Line(const char* label, const std::string& value) {
        char padded[32];
        std::snprintf(padded, sizeof padded, "%-16s", label);
        FOut << padded << value << "\n";
    }
    std::string Utf8(const std::string& value) const { return CodePageToUtf8(value, FCodePage); }

    std::ostream& FOut;
    int FCodePage;
};

std::string Version(const TKoData& data) {
    std::string text = std::to_string(data.VersionMajor) + "." + std::to_string(data.VersionMinor);
    return text + " (build " + std::to_string(data.Build) + ", release " +
           std::to_string(data.Release) + ")";
}

void ListIdentity(TLister& list, const TKoData& data) {
    list.Text("Product", data.ProductName);
    list.Line("Version", Version(data));
    list.Text("Publisher", data.Publisher);
    list.Text("Website", data.Website);
    list.Text("Address", data.Address);
    list.Text("Contact name", data.ContactName);
    list.Text("Contact e-mail", data.ContactEmail);
    list.Line("Banner", data.Banner.Empty()
                            ? "none"
                            : std::to_string(data.Banner.Width()) + "x" +
                                  std::to_string(data.Banner.Height()) + " JPEG, " +
                                  std::to_string(data.Banner.Bytes().size()) + " bytes");
}

// The translations by tag ("en" is the stub's own), then those with documents of their own.
void ListLanguages(TLister& list, const TKoData& data) {
    std::string tags = "en";
    for (const TKoLanguage& language : data.Languages)
        tags += ", " + language.Tag;
    list.Line("Languages", tags);
    for (const TKoLanguage& language : data.Languages) {
        std::string documents;
        for (const auto& [name, text] : {std::pair{"licence", &language.LicenseText},
                                         std::pair{"readme", &language.ReadmeText},
                                         std::pair{"what's new", &language.WhatsNewText}})
            if (!text->empty())
                documents += std::string(documents.empty() ? "" : ", ") + name + " " +
                             std::to_string(text->size()) + " bytes";
        if (!documents.empty())
            list.FOut << "  " << language.Tag << ": " << documents << "\n";
    }
}

// The program's version resource: its fixed version, then each string.
void ListVersionInfo(TLister& list, const std::optional<TVersionInfo>& info) {
    if (!info)
        return list.Line("Version info", "none");
    std::string version;
    for (int32_t part : info->Version)
        version += (version.empty() ? "" : ".") + std::to_string(part);
    list.Line("Version info", version);
    for (const auto& [name, value] : info->Strings) {
        char padded[32];
        std::snprintf(padded, sizeof padded, "  %-16s ", name.c_str());
        list.FOut << padded << "\"" << value << "\"\n";
    }
}

// "1234 (stored 1248)"; "? (stored 1248)" when the final block does not decipher.
std::string Sizes(std::optional<int64_t> content, int32_t stored) {
    return (content ? std::to_string(*content) : "?") + " (stored " + std::to_string(stored) + ")";
}

void ListDigest(TLister& list, bool has, const TDigest& digest) {
    if (has)
        list.FOut << "    sha256 " << HexDigits(digest.data(), digest.size()) << "\n";
}

// The records' digest and whether they match it; the installer refuses a package without it.
std::string RecordsDigestText(const TKoInstall& install) {
    if (!install.RecordsDigest)
        return "none (the installer refuses the package)";
    return HexDigits(install.RecordsDigest->data(), install.RecordsDigest->size()) +
           (install.RecordsDamaged ? " (DOES NOT MATCH: damaged)" : "");
}

// Whether a stored program or DLL is signed, and by whom; nothing for any other file.
void ListSignature(TLister& list, TStream& package, const TStoredItem& item,
                   const std::string& path, const uint8_t* key) {
    if (!IsProgramOrLibrary(list.Utf8(path)))
        return;
    const std::optional<TCodeSignature> signature = StoredSignature(package, item, key);
    if (!signature)
        list.FOut << "    not signed\n";
    else
        list.FOut << "    signed by " << signature->Subject
                  << (signature->EllipticCurve ? " with an elliptic-curve key" : "") << "\n";
}

void ListFile(TLister& list, size_t number, const TKoInstallFile& file,
              std::optional<int64_t> content) {
    list.FOut << "  file " << number << ": " << list.Utf8(file.Path) << "\n"
              << "    size " << Sizes(content, file.Size) << " at offset " << file.Offset
              << ", created " << FormatFileTime(file.CreationTime) << ", modified "
              << FormatFileTime(file.LastWriteTime) << "\n";
    ListDigest(list, file.HasDigest, file.Digest);
    std::string flags;
    if (!file.ShortcutName.empty())
        flags += " shortcut \"" + list.Utf8(file.ShortcutName) + "\"";
    if (file.CheckNewer)
        flags += " check-newer";
    if (file.NoUninstall)
        flags += " no-uninstall";
    if (!flags.empty())
        list.FOut << "   " << flags << "\n";
}

void ListExec(TLister& list, size_t number, const TKoInstallExec& exec,
              std::optional<int64_t> content) {
    const std::string stage =
        exec.Stage < 4 ? StageNames[exec.Stage] : "never (" + std::to_string(exec.Stage) + ")";
    list.FOut << "  run " << number << ": \"" << list.Utf8(exec.Title) << "\", stage "
              << int(exec.Stage) << " (" << stage << ")\n"
              << "    " << (exec.External ? "external " : "stored ") << list.Utf8(exec.Path);
    if (!exec.Parameters.empty())
        list.FOut << " " << list.Utf8(exec.Parameters);
    list.FOut << "\n";
    if (!exec.External) {
        list.FOut << "    size " << Sizes(content, exec.Size) << " at offset " << exec.Offset
                  << ", modified " << FormatFileTime(exec.LastWriteTime) << "\n";
        ListDigest(list, exec.HasDigest, exec.Digest);
    }
}

void ListInstall(const std::string& native, const TPackageScan& scan, TLister& list) {
    const TKoInstall& install = *scan.Install;
    ListIdentity(list, install);
    list.Document("Licence", install.LicenseText);
    list.Document("Readme", install.ReadmeText);
    list.Document("What's new", install.WhatsNewText);
    ListLanguages(list, install);
    list.Text("Expert options", install.ExpertOptions);
    list.Line("Key", HexDigits(install.Key, sizeof install.Key));
    list.Line("Records sha256", RecordsDigestText(install));
    TFileStream package(native, TFileMode::OpenRead);
    list.Line("Files", std::to_string(install.Files.size()));
    for (size_t i = 0; i < install.Files.size(); ++i) {
        const TKoInstallFile& file = *install.Files[i];
        ListFile(list, i + 1, file, ContentSize(package, file, install.Key));
        ListSignature(list, package, file, file.Path, install.Key);
    }
    list.Line("Run items", std::to_string(install.Execs.size()));
    for (size_t i = 0; i < install.Execs.size(); ++i) {
        const TKoInstallExec& exec = *install.Execs[i];
        ListExec(list, i + 1, exec,
                 exec.External ? std::nullopt : ContentSize(package, exec, install.Key));
        if (!exec.External)
            ListSignature(list, package, exec, exec.Path, install.Key);
    }
    if (scan.RecordsEnd < 0)
        list.FOut << "warning: the package ends before its end record\n";
}

void ListUninstall(const TPackageScan& scan, TLister& list) {
    const TKoUninstall& uninstall = *scan.Uninstall;
    ListIdentity(list, uninstall);
    list.Line("Language", uninstall.Language.empty() ? "en" : uninstall.Language);
    ListLanguages(list, uninstall);
    list.Line("Entries", std::to_string(uninstall.FolderList.size()) + " folders, " +
                             std::to_string(uninstall.FileList.size()) + " files");
    for (const TLogEntry& entry : uninstall.Entries)
        list.FOut << "  " << (entry.Folder ? "folder " : "file   ")
                  << (entry.Utf8 ? entry.Path : list.Utf8(entry.Path)) << "\n";
}

} // namespace

std::string FormatFileTime(uint64_t fileTime) {
    if (fileTime == 0)
        return "-";
    using namespace std::chrono;
    const sys_seconds time{seconds{UnixSecondsFromFileTime(fileTime)}};
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

int ListCommand(const std::string& file, std::optional<int> codePage, bool json,
                std::ostream& out) {
    const std::string native = NativeName(PathFromUtf8(file));
    const TPackageScan scan = ScanPackage(native);
    const int shown = codePage.value_or(scan.CodePage.value_or(DefaultCodePage));
    const int known = IsSupportedCodePage(shown) || shown == Utf8CodePage ? shown : DefaultCodePage;
    if (json)
        return ListJson(file, scan, known, out), 0;
    TLister list(out, known);
    const bool install = scan.Kind == TPackageKind::Install;
    list.Line("File", file);
    list.Line("Kind",
              install ? "installer (package at offset " + std::to_string(scan.PackageOffset) + ")"
                      : "uninstaller (log at offset " + std::to_string(scan.PackageOffset) + ")");
    list.Line("Code page", std::to_string(list.FCodePage) + (codePage        ? " (as asked)"
                                                             : scan.CodePage ? ""
                                                                             : " (assumed)"));
    ListVersionInfo(list, ReadVersionResource(native, scan.PackageOffset));
    if (install)
        ListInstall(native, scan, list);
    else
        ListUninstall(scan, list);
    return 0;
}

} // namespace ko
