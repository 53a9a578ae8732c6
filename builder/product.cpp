#include "builder/product.h"

#include "base/ascii_text.h"
#include "base/codepage.h"
#include "base/path_names.h"
#include "builder/build_error.h"
#include "builder/dll_dependencies.h"
#include "builder/file_signing.h"
#include "builder/glob.h"
#include "builder/platform_files.h"
#include "builder/texts.h"
#include "builder/translations.h"
#include "builder/unsigned_files.h"
#include "package/format.h"
#include "package/jpeg_picture.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace ko {

namespace {

// The banner area of the welcome and finish pages; a larger picture is cut off.
constexpr int BannerWidth = 160;
constexpr int BannerHeight = 320;

// Resolves one manifest, adding every mistake to Problems and going on with the next value, so
// that a vendor sees all of them at once.
class TResolver {
public:
    TResolver(const TManifest& manifest, TPackageContent& content, TFileSigner* signer)
        : FManifest(manifest), FContent(content), FProblems(manifest.Problems), FSigner(signer) {}

    void Run(std::vector<std::string>& warnings) {
        if (FManifest.Parsed) {
            ResolveHeader();
            FContent.LicenseText = ReadDocument(FManifest.License);
            FContent.ReadmeText = ReadDocument(FManifest.Readme);
            FContent.WhatsNewText = ReadDocument(FManifest.WhatsNew);
            FContent.Banner = ReadBanner();
            ResolveLanguages();
            ResolveFiles();
            ResolveRuns();
        }
        warnings.insert(warnings.end(), FProblems.Warnings().begin(), FProblems.Warnings().end());
        FProblems.ThrowIfAny();
    }

private:
    std::filesystem::path SourcePath(const std::string& value) const {
        return FManifest.BaseDir / PathFromUtf8(value);
    }

    std::string Name(const TManifestString& field) const {
        return Quoted(PathToUtf8(SourcePath(field.Value)));
    }

    // Converts one manifest text to the code page.
    std::string ToCodePage(const TManifestString& text) {
        TCodePageText converted = ConvertText(text.Value, FManifest.CodePage);
        if (converted.Unmappable)
            FProblems.Add(text.Line, "field \"" + text.Field + "\": character " +
                                         DescribeCharacter(*converted.Unmappable) +
                                         " is not in code page " +
                                         std::to_string(FManifest.CodePage) +
                                         CodePageHint(*converted.Unmappable, FManifest.CodePage));
        return std::move(converted.Bytes);
    }

    // The whole file a field names, or nothing (with a problem added) when it cannot be read.
    std::optional<std::string> ReadWholeFile(const TManifestString& field) {
        const std::filesystem::path path = SourcePath(field.Value);
        std::ifstream file(path, std::ios::binary);
        const int error = errno;
        if (!file || std::filesystem::is_directory(path)) {
            FProblems.Add(field.Line,
                          "field \"" + field.Field + "\": cannot open " + Name(field) + ": " +
                              UnreadableReason(path, error) +
                              (HasControlCharacter(field.Value) ? ControlCharacterHint() : ""));
            return std::nullopt;
        }
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    std::string ReadDocument(const TManifestString& field) {
        if (field.Value.empty())
            return {};
        std::optional<std::string> bytes = ReadWholeFile(field);
        if (!bytes)
            return {};
        TDocument document = PrepareRtf(std::move(*bytes), FManifest.CodePage);
        const std::string where = "field \"" + field.Field + "\": " + Name(field) + " ";
        if (!document.Problem.empty())
            FProblems.Add(field.Line, where + document.Problem);
        else if (!document.Note.empty())
            FProblems.Warn(field.Line, where + document.Note);
        return std::move(document.Text);
    }

    std::vector<uint8_t> ReadBanner() {
        const TManifestString& field = FManifest.Banner;
        if (field.Value.empty())
            return {};
        const std::optional<std::string> text = ReadWholeFile(field);
        if (!text)
            return {};
        std::vector<uint8_t> bytes(text->begin(), text->end());
        const std::string where = "field \"" + field.Field + "\": " + Name(field);
        if (bytes.empty()) {
            FProblems.Add(field.Line, where + " is empty");
            return {};
        }
        // Decoded whole, with the installer's own decoder and limits: a picture that it could
        // not show (cut short, CMYK, too large) is refused here rather than shown black there.
        TJpegPicture picture;
        try {
            picture.LoadFromBytes(bytes);
            picture.DecodeRgb();
        } catch (const EKoError& error) {
            FProblems.Add(field.Line, where + " cannot be shown: " + error.what());
            return {};
        }
        if (picture.Width() > BannerWidth || picture.Height() > BannerHeight)
            FProblems.Warn(field.Line,
                           "banner " + Name(field) + " is " + std::to_string(picture.Width()) +
                               "x" + std::to_string(picture.Height()) + "; the wizard shows " +
                               std::to_string(BannerWidth) + "x" + std::to_string(BannerHeight));
        return bytes;
    }

    // Measures a source; false (with a problem added) when it cannot be stored.
    bool Measure(int line, const std::filesystem::path& path, TStoredSource& source) {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        const std::string name = Quoted(PathToUtf8(path));
        if (!std::filesystem::exists(status)) {
            FProblems.Add(
                line, "source file " + name + " not found" +
                          (HasControlCharacter(PathToUtf8(path)) ? ControlCharacterHint() : ""));
            return false;
        }
        if (!std::filesystem::is_regular_file(status)) {
            FProblems.Add(line, "source " + name + " is not a file");
            return false;
        }
        source.Source = path;
        source.Length = static_cast<int64_t>(std::filesystem::file_size(path));
        if (format::StoredSize(source.Length) > format::MaxOffset) {
            FProblems.Add(line, "source file " + name +
                                    " is too large: stored sizes are limited to 2 GiB");
            return false;
        }
        source.Times = GetFileTimes(path);
        return true;
    }

    std::vector<TPatternMatch> Sources(const TManifestFile& file) {
        if (!HasWildcard(file.Source.Value)) {
            if (!file.Exclude.empty())
                FProblems.Add(file.Exclude[0].Line,
                              "field \"file.exclude\" needs a pattern in \"file.source\"");
            return {{SourcePath(file.Source.Value), ""}};
        }
        std::vector<std::string> excludes;
        for (const TManifestString& exclude : file.Exclude)
            excludes.push_back(exclude.Value);
        std::vector<TPatternMatch> matches;
        try {
            matches = ExpandPattern(FManifest.BaseDir, file.Source.Value, excludes);
        } catch (const EBuildError& error) {
            FProblems.Add(file.Source.Line, error.what());
            return {};
        }
        if (matches.empty())
            FProblems.Add(file.Source.Line,
                          "pattern " + Quoted(file.Source.Value) + " matches no file");
        if (matches.size() > 1 && !file.Shortcut.Value.empty())
            FProblems.Add(file.Shortcut.Line, "a shortcut needs a single file, but " +
                                                  Quoted(file.Source.Value) + " matches " +
                                                  std::to_string(matches.size()));
        return matches;
    }

    // A pattern's files, or a single file whose target ends in a backslash, go into the folder
    // the target names, under their own names and below the folders they lie in under the
    // pattern's base.
    static TManifestString TargetFor(const TManifestFile& file, const TPatternMatch& source) {
        TManifestString target = file.Target;
        const bool folder = HasWildcard(file.Source.Value) || target.Value.back() == '\\';
        if (folder) {
            if (target.Value.back() != '\\')
                target.Value += '\\';
            target.Value += source.Folder + PathToUtf8(source.Path.filename());
        }
        return target;
    }

    // A name found on disk goes into the target as it is, and Linux allows in a file name what
    // Windows reads as structure: "a\..\..\evil.dll" climbs out of the folder, "a:b.mqh" is a
    // stream of "a", "aux.mqh" a device, "x.mqh." loses its dot. The manifest's own target was
    // checked when it was read; the finished one is checked again, naming the file it came from.
    bool TargetAccepted(const TManifestFile& file, const TPatternMatch& source,
                        const TManifestString& target) {
        if (target.Value == file.Target.Value)
            return true;
        const std::string problem = CheckTargetPath(target.Value, false, false);
        if (problem.empty())
            return true;
        FProblems.Add(file.Source.Line, "source file " + Quoted(PathToUtf8(source.Path)) +
                                            " would be installed as " + Quoted(target.Value) +
                                            ", which " + problem);
        return false;
    }

    void ResolveFiles() {
        // Windows file names ignore case, so two targets differing only in case are one file.
        std::map<std::string, int> targets;
        std::vector<std::pair<int, std::filesystem::path>> dlls;
        std::vector<std::string> shipped;
        for (const TManifestFile& file : FManifest.Files) {
            if (!file.Valid)
                continue;
            if (file.Sign && FSigner && !FSigner->HasCommand())
                FProblems.Add(file.Line, "sign = true needs a sign command: build with "
                                         "--sign-command, or leave the file as it is");
            for (const TPatternMatch& source : Sources(file)) {
                const TManifestString target = TargetFor(file, source);
                if (!TargetAccepted(file, source, target))
                    continue;
                TPackageFile item;
                item.Path = ToCodePage(target);
                item.ShortcutName = ToCodePage(file.Shortcut);
                item.CheckNewer = file.CheckNewer;
                item.NoUninstall = file.NoUninstall;
                if (!Measure(file.Source.Line, source.Path, item.Data))
                    continue;
                if (file.Sign)
                    StoreSigned(file.Source.Line, item.Data);
                if (const std::string problem = CheckPlatformFile(target.Value, source.Path);
                    !problem.empty())
                    FProblems.Add(file.Source.Line, "source file " +
                                                        Quoted(PathToUtf8(source.Path)) + ": " +
                                                        problem);
                if (const std::string warning = PlatformFileWarning(target.Value, source.Path);
                    !warning.empty())
                    FProblems.Warn(file.Source.Line, "source file " +
                                                         Quoted(PathToUtf8(source.Path)) + ": " +
                                                         warning);
                if (const std::string warning =
                        UnsignedFileWarning(target.Value, source.Path, file.Sign);
                    !warning.empty())
                    FProblems.Warn(file.Source.Line, warning);
                if (AsciiLowerCase(target.Value).ends_with(".dll"))
                    dlls.push_back({file.Source.Line, source.Path});
                shipped.push_back(ExtractFileName(target.Value));
                // Compared as characters: a trail byte of a double-byte code page may be
                // that of an ASCII letter, which must not fold.
                const auto [at, added] =
                    targets.emplace(AsciiLowerCase(CodePageToUtf8(item.Path, FManifest.CodePage)),
                                    file.Target.Line);
                if (!added)
                    FProblems.Add(
                        file.Target.Line,
                        "target " + Quoted(CodePageToUtf8(item.Path, FManifest.CodePage)) +
                            " is already used by the file on line " + std::to_string(at->second));
                FContent.Files.push_back(std::move(item));
            }
        }
        CheckImports(dlls, shipped);
    }

    // A file marked sign = true is stored as the signing command's copy of it; the source is
    // left as it is. Only a Windows program or DLL can carry a signature, and a copy the tool
    // has turned into anything else would no longer load.
    void StoreSigned(int line, TStoredSource& data) {
        const std::string name = Quoted(PathToUtf8(data.Source));
        const std::optional<TPeModule> module = ReadPeFile(data.Source);
        if (!module || (module->Machine != PeMachineI386 && module->Machine != PeMachineAmd64)) {
            FProblems.Add(line, "source file " + name +
                                    " cannot be signed: sign = true needs a 32-bit or 64-bit "
                                    "Windows program or DLL");
            return;
        }
        if (!FSigner || !FSigner->HasCommand())
            return;
        try {
            const std::filesystem::path copy = FSigner->SignCopy(data.Source);
            const std::optional<TPeModule> result = ReadPeFile(copy);
            if (!result || result->Machine != module->Machine || result->Dll != module->Dll) {
                FProblems.Add(line, "the signing command turned " + name +
                                        " into something that is no longer the same Windows " +
                                        (module->Dll ? "DLL" : "program"));
                return;
            }
            data.Source = copy;
            data.Length = static_cast<int64_t>(std::filesystem::file_size(copy));
        } catch (const std::exception& error) {
            FProblems.Add(line, "source file " + name + " could not be signed: " + error.what());
        }
    }

    // Only after every file is known: a DLL may import one listed later in the manifest.
    void CheckImports(const std::vector<std::pair<int, std::filesystem::path>>& dlls,
                      const std::vector<std::string>& shipped) {
        for (const auto& [line, source] : dlls) {
            const std::optional<TPeModule> module = ReadPeFile(source);
            if (!module || !module->Dll)
                continue;
            if (const std::string warning = MissingImportsWarning(module->Imports, shipped);
                !warning.empty())
                FProblems.Warn(line, "source file " + Quoted(PathToUtf8(source)) + " " + warning);
        }
    }

    void ResolveRuns() {
        for (const TManifestRun& run : FManifest.Runs) {
            if (!run.Valid)
                continue;
            TPackageExec exec;
            exec.External = run.Source.Value.empty();
            exec.Path = ToCodePage(run.Path);
            exec.Title = ToCodePage(run.Title);
            exec.Parameters = ToCodePage(run.Parameters);
            exec.Stage = run.Stage;
            if (!exec.External) {
                if (HasWildcard(run.Source.Value)) {
                    FProblems.Add(run.Source.Line, "a program to run needs a single file");
                    continue;
                }
                if (!Measure(run.Source.Line, SourcePath(run.Source.Value), exec.Data))
                    continue;
            }
            FContent.Execs.push_back(std::move(exec));
        }
    }

    // The vendor's translations, each read with its own mistakes reported against its own
    // lines; one into a language kosetup carries replaces that one.
    std::vector<TKoLanguage> Translations(std::map<std::string, int>& vendors) {
        std::vector<TKoLanguage> available = CarriedTranslations();
        for (const TManifestString& field : FManifest.Translations) {
            const std::optional<std::string> text = ReadWholeFile(field);
            if (!text)
                continue;
            const std::string fileName = PathToUtf8(SourcePath(field.Value));
            TProblems problems(fileName);
            std::optional<TKoLanguage> language = ParseTranslation(*text, problems, fileName);
            FProblems.Include(field.Line, problems);
            if (!language)
                continue;
            if (!vendors.emplace(language->Tag, field.Line).second) {
                FProblems.Add(field.Line, "field \"translations\": " + Name(field) +
                                              " is a second translation into " +
                                              Quoted(language->Tag));
                continue;
            }
            const auto same =
                std::find_if(available.begin(), available.end(),
                             [&](const TKoLanguage& l) { return l.Tag == language->Tag; });
            if (same != available.end())
                *same = std::move(*language);
            else
                available.push_back(std::move(*language));
        }
        return available;
    }

    static std::string KnownTags(const std::vector<TKoLanguage>& available) {
        std::string tags = "en";
        for (const TKoLanguage& language : available)
            tags += ", " + language.Tag;
        return tags;
    }

    // The languages the manifest lists, in its order; English is always there, as the stub's.
    std::vector<TKoLanguage> Chosen(const std::vector<TKoLanguage>& available,
                                    const std::map<std::string, int>& vendors) {
        std::vector<TKoLanguage> chosen;
        std::set<std::string> listed = {"en"};
        for (const TManifestString& field : FManifest.Languages) {
            const std::string tag = AsciiLowerCase(field.Value);
            const auto found = std::find_if(available.begin(), available.end(),
                                            [&](const TKoLanguage& l) { return l.Tag == tag; });
            if (tag != "en" && found == available.end())
                FProblems.Add(field.Line, "field \"languages\": unknown language " +
                                              Quoted(field.Value) + "; known are " +
                                              KnownTags(available) +
                                              ", and \"translations\" adds others");
            else if (listed.insert(tag).second)
                chosen.push_back(*found);
        }
        for (const auto& [tag, line] : vendors)
            if (!listed.count(tag))
                FProblems.Warn(line, "the translation into " + Quoted(tag) +
                                         " is left out: \"languages\" does not list it");
        return chosen;
    }

    void ResolveLanguages() {
        std::map<std::string, int> vendors;
        std::vector<TKoLanguage> languages = Translations(vendors);
        if (FManifest.HasLanguages)
            languages = Chosen(languages, vendors);
        for (const TManifestDocuments& documents : FManifest.LanguageDocuments) {
            const std::string tag = AsciiLowerCase(documents.Tag.Value);
            const auto found = std::find_if(languages.begin(), languages.end(),
                                            [&](const TKoLanguage& l) { return l.Tag == tag; });
            if (tag == "en") {
                FProblems.Add(documents.Tag.Line, "table \"documents.en\": the English documents "
                                                  "are those of [documents]");
            } else if (found == languages.end()) {
                FProblems.Add(documents.Tag.Line,
                              "table " + Quoted(documents.Tag.Field) +
                                  " names a language the package does not carry; it carries " +
                                  KnownTags(languages));
            } else {
                found->LicenseText = ReadDocument(documents.License);
                found->ReadmeText = ReadDocument(documents.Readme);
                found->WhatsNewText = ReadDocument(documents.WhatsNew);
            }
        }
        FContent.Languages = std::move(languages);
    }

    void ResolveHeader() {
        FContent.CodePage = FManifest.CodePage;
        FContent.ProductName = ToCodePage(FManifest.ProductName);
        FContent.VersionMajor = FManifest.VersionMajor;
        FContent.VersionMinor = FManifest.VersionMinor;
        FContent.Build = FManifest.Build;
        FContent.Release = FManifest.Release;
        FContent.Publisher = ToCodePage(FManifest.Publisher);
        FContent.Website = ToCodePage(FManifest.Website);
        FContent.Address = ToCodePage(FManifest.Address);
        FContent.ContactName = ToCodePage(FManifest.ContactName);
        FContent.ContactEmail = ToCodePage(FManifest.ContactEmail);
        FContent.ExpertOptions = ToCodePage(FManifest.ExpertOptions);
    }

    const TManifest& FManifest;
    TPackageContent& FContent;
    TProblems FProblems;
    TFileSigner* FSigner;
};

} // namespace

TPackageContent ResolveManifest(const TManifest& manifest, const std::array<uint8_t, 16>& key,
                                std::vector<std::string>& warnings, TFileSigner* signer) {
    TPackageContent content;
    content.Key = key;
    TResolver(manifest, content, signer).Run(warnings);
    return content;
}

} // namespace ko
