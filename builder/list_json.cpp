#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/commands.h"
#include "builder/digest.h"
#include "builder/json_writer.h"
#include "builder/package_reader.h"
#include "builder/platform.h"
#include "builder/unsigned_files.h"
#include "builder/version_resource.h"

namespace ko {

namespace {

// The listing's layout: raised when a key changes its name or meaning, so that vendors' scripts
// can tell. Keys are snake_case; anything absent is null.
constexpr int ListFormat = 1;

std::string SnakeCase(const std::string& name) {
    std::string snake;
    for (const char c : name) {
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper && !snake.empty())
            snake += '_';
        snake += upper ? char(c - 'A' + 'a') : c;
    }
    return snake;
}

class TJsonLister {
public:
    TJsonLister(std::ostream& out, int codePage) : FJson(out), FCodePage(codePage) {}

    // A text the package leaves empty is absent: null, as every absent value is.
    void Text(const char* key, const std::string& value) {
        if (value.empty())
            FJson.Key(key).Null();
        else
            FJson.Key(key).String(CodePageToUtf8(value, FCodePage));
    }
    void Number(const char* key, int64_t value) { FJson.Key(key).Number(value); }
    void Size(const char* key, std::optional<int64_t> value) {
        if (value)
            FJson.Key(key).Number(*value);
        else
            FJson.Key(key).Null();
    }
    // "2024-05-01T12:34:56Z", or null for no time.
    void Time(const char* key, uint64_t fileTime) {
        if (fileTime == 0)
            return FJson.Key(key).Null();
        std::string text = FormatFileTime(fileTime); // "2024-05-01 12:34:56 UTC"
        FJson.Key(key).String(text.substr(0, 10) + "T" + text.substr(11, 8) + "Z");
    }

    void Identity(const TKoData& data) {
        FJson.Key("product").BeginObject();
        Text("name", data.ProductName);
        Number("version_major", data.VersionMajor);
        Number("version_minor", data.VersionMinor);
        Number("build", data.Build);
        Number("release", data.Release);
        Text("publisher", data.Publisher);
        Text("website", data.Website);
        Text("address", data.Address);
        Text("contact_name", data.ContactName);
        Text("contact_email", data.ContactEmail);
        FJson.End();
        if (data.Banner.Empty()) {
            FJson.Key("banner").Null();
            return;
        }
        FJson.Key("banner").BeginObject();
        Number("width", data.Banner.Width());
        Number("height", data.Banner.Height());
        Number("bytes", int64_t(data.Banner.Bytes().size()));
        FJson.End();
    }

    // The translations by tag, with the sizes of their own documents (0: the package's shown).
    void Languages(const TKoData& data) {
        FJson.Key("languages").BeginArray();
        for (const TKoLanguage& language : data.Languages) {
            FJson.BeginObject();
            FJson.Key("tag").String(language.Tag);
            FJson.Key("name").String(language.Name);
            Number("texts", int64_t(language.Texts.size()));
            FJson.Key("documents").BeginObject();
            Number("license", int64_t(language.LicenseText.size()));
            Number("readme", int64_t(language.ReadmeText.size()));
            Number("whats_new", int64_t(language.WhatsNewText.size()));
            FJson.End();
            FJson.End();
        }
        FJson.End();
    }

    template <typename TItem>
    void Stored(TStream& package, const uint8_t* key, const TItem& item) {
        Size("size", ContentSize(package, item, key));
        Number("stored_size", item.Size);
        Number("offset", item.Offset);
        Time("created", item.CreationTime);
        Time("modified", item.LastWriteTime);
        // null for a package without the integrity record: its data installs unchecked.
        if (item.HasDigest)
            FJson.Key("sha256").String(HexDigits(item.Digest.data(), item.Digest.size()));
        else
            FJson.Key("sha256").Null();
    }

    // Whether a stored program or DLL is signed and the signer's subject; both null for any
    // other file.
    void Signature(TStream& package, const uint8_t* key, const TStoredItem& item,
                   const std::string& path) {
        if (!IsProgramOrLibrary(CodePageToUtf8(path, FCodePage))) {
            FJson.Key("signed").Null();
            FJson.Key("signer").Null();
            return;
        }
        const std::optional<TCodeSignature> signature = StoredSignature(package, item, key);
        FJson.Key("signed").Boolean(signature.has_value());
        if (signature)
            FJson.Key("signer").String(signature->Subject);
        else
            FJson.Key("signer").Null();
    }

    void VersionInfo(const std::optional<TVersionInfo>& info) {
        if (!info)
            return FJson.Key("version_info").Null();
        FJson.Key("version_info").BeginObject();
        FJson.Key("version").BeginArray();
        for (int32_t part : info->Version)
            FJson.Number(part);
        FJson.End();
        // Windows names them in CamelCase ("ProductName"); the listing's keys are snake_case
        // throughout ("product_name").
        for (const auto& [name, value] : info->Strings) {
            FJson.Key(SnakeCase(name).c_str());
            if (value.empty())
                FJson.Null();
            else
                FJson.String(value);
        }
        FJson.End();
    }

    void Install(const std::string& native, const TKoInstall& install) {
        Identity(install);
        FJson.Key("documents").BeginObject();
        Number("license", int64_t(install.LicenseText.size()));
        Number("readme", int64_t(install.ReadmeText.size()));
        Number("whats_new", int64_t(install.WhatsNewText.size()));
        FJson.End();
        Languages(install);
        Text("expert_options", install.ExpertOptions);
        FJson.Key("key").String(HexDigits(install.Key, sizeof install.Key));
        // null for a package without the record: its records load unchecked.
        if (install.RecordsDigest)
            FJson.Key("records_sha256")
                .String(HexDigits(install.RecordsDigest->data(), install.RecordsDigest->size()));
        else
            FJson.Key("records_sha256").Null();
        FJson.Key("records_damaged").Boolean(install.RecordsDamaged);
        TFileStream package(native, TFileMode::OpenRead);
        FJson.Key("files").BeginArray();
        for (const auto& file : install.Files) {
            FJson.BeginObject();
            Text("path", file->Path);
            Stored(package, install.Key, *file);
            Signature(package, install.Key, *file, file->Path);
            Text("shortcut", file->ShortcutName);
            FJson.Key("check_newer").Boolean(file->CheckNewer);
            FJson.Key("no_uninstall").Boolean(file->NoUninstall);
            FJson.End();
        }
        FJson.End();
        FJson.Key("runs").BeginArray();
        for (const auto& exec : install.Execs) {
            FJson.BeginObject();
            Text("title", exec->Title);
            Text("path", exec->Path);
            Text("parameters", exec->Parameters);
            Number("stage", exec->Stage);
            FJson.Key("stored").Boolean(!exec->External);
            if (!exec->External) {
                Stored(package, install.Key, *exec);
                Signature(package, install.Key, *exec, exec->Path);
            }
            FJson.End();
        }
        FJson.End();
    }

    void Uninstall(const TKoUninstall& uninstall) {
        Identity(uninstall);
        // null: the install spoke English, or predates the record.
        if (uninstall.Language.empty())
            FJson.Key("language").Null();
        else
            FJson.Key("language").String(uninstall.Language);
        Languages(uninstall);
        FJson.Key("entries").BeginArray();
        for (const TLogEntry& entry : uninstall.Entries) {
            FJson.BeginObject();
            FJson.Key("type").String(entry.Folder ? "folder" : "file");
            if (entry.Utf8)
                FJson.Key("path").String(entry.Path);
            else
                Text("path", entry.Path);
            FJson.End();
        }
        FJson.End();
    }

    TJsonWriter FJson;
    int FCodePage;
};

} // namespace

void ListJson(const std::string& file, const TPackageScan& scan, int codePage, std::ostream& out) {
    const std::string native = NativeName(PathFromUtf8(file));
    TJsonLister list(out, codePage);
    list.FJson.BeginObject();
    list.Number("format", ListFormat);
    list.FJson.Key("file").String(file);
    const bool install = scan.Kind == TPackageKind::Install;
    list.FJson.Key("kind").String(install ? "installer" : "uninstaller");
    list.Number("package_offset", scan.PackageOffset);
    list.Number("code_page", codePage);
    list.VersionInfo(ReadVersionResource(native, scan.PackageOffset));
    if (install)
        list.Install(native, *scan.Install);
    else
        list.Uninstall(*scan.Uninstall);
    list.FJson.End();
}

} // namespace ko
