#include "builder/product.h"

#include "base/codepage.h"
#include "builder/build_error.h"
#include "builder/glob.h"
#include "package/format.h"
#include "package/jpeg_picture.h"

#include <fstream>
#include <map>
#include <sstream>

namespace ko {

namespace {

// The banner area of the welcome and finish pages; a larger picture is cut off.
constexpr int BannerWidth = 160;
constexpr int BannerHeight = 320;
// Stored sizes and offsets are signed 32-bit numbers in the records.
constexpr int64_t MaxStoredSize = 0x7FFFFFFF;

[[noreturn]] void Fail(const TManifest& manifest, int line, const std::string& message) {
    throw EBuildError(manifest.FileName + ":" + std::to_string(line) + ": " + message);
}

std::filesystem::path SourcePath(const TManifest& manifest, const std::string& value) {
    return manifest.BaseDir / PathFromUtf8(value);
}

std::string ReadWholeFile(const TManifest& manifest, const TManifestString& field) {
    const std::filesystem::path path = SourcePath(manifest, field.Value);
    std::ifstream file(path, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(path))
        Fail(manifest, field.Line,
             "field \"" + field.Field + "\": cannot open \"" + PathToUtf8(path) + "\"");
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// RTF is 7-bit with its own escapes, so a document passes unchanged; but bytes above 0x7F are
// read in the code page, and one the code page leaves undefined would show as garbage.
std::string ReadDocument(const TManifest& manifest, const TManifestString& field) {
    if (field.Value.empty())
        return {};
    std::string text = ReadWholeFile(manifest, field);
    const std::string name = "\"" + PathToUtf8(SourcePath(manifest, field.Value)) + "\"";
    if (text.rfind("{\\rtf", 0) != 0)
        Fail(manifest, field.Line,
             "field \"" + field.Field + "\": " + name + " is not an RTF document");
    if (const auto pos = FindUndefinedByte(text, manifest.CodePage)) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[*pos]));
        Fail(manifest, field.Line,
             "field \"" + field.Field + "\": " + name + " holds byte " + byte + " at offset " +
                 std::to_string(*pos) + ", which is not in code page " +
                 std::to_string(manifest.CodePage));
    }
    return text;
}

std::vector<uint8_t> ReadBanner(const TManifest& manifest, std::vector<std::string>& warnings) {
    const TManifestString& field = manifest.Banner;
    if (field.Value.empty())
        return {};
    const std::string text = ReadWholeFile(manifest, field);
    std::vector<uint8_t> bytes(text.begin(), text.end());
    const std::string name = "\"" + PathToUtf8(SourcePath(manifest, field.Value)) + "\"";
    if (bytes.empty())
        Fail(manifest, field.Line, "field \"" + field.Field + "\": " + name + " is empty");
    // Decoded whole, with the installer's own decoder and limits: a picture that it could not
    // show (cut short, CMYK, too large) is refused here rather than shown black there.
    TJpegPicture picture;
    try {
        picture.LoadFromBytes(bytes);
        picture.DecodeRgb();
    } catch (const EKoError& error) {
        Fail(manifest, field.Line,
             "field \"" + field.Field + "\": " + name + " cannot be shown: " + error.what());
    }
    if (picture.Width() > BannerWidth || picture.Height() > BannerHeight)
        warnings.push_back(manifest.FileName + ":" + std::to_string(field.Line) + ": banner " +
                           name + " is " + std::to_string(picture.Width()) + "x" +
                           std::to_string(picture.Height()) + "; the wizard shows " +
                           std::to_string(BannerWidth) + "x" + std::to_string(BannerHeight));
    return bytes;
}

TStoredSource Measure(const TManifest& manifest, int line, const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        Fail(manifest, line, "source file \"" + PathToUtf8(path) + "\" not found");
    if (!std::filesystem::is_regular_file(status))
        Fail(manifest, line, "source \"" + PathToUtf8(path) + "\" is not a file");
    TStoredSource source;
    source.Source = path;
    source.Length = static_cast<int64_t>(std::filesystem::file_size(path));
    if (format::StoredSize(source.Length) > MaxStoredSize)
        Fail(manifest, line,
             "source file \"" + PathToUtf8(path) +
                 "\" is too large: stored sizes are limited to 2 GiB");
    source.Times = GetFileTimes(path);
    return source;
}

std::vector<std::filesystem::path> Sources(const TManifest& manifest, const TManifestFile& file) {
    if (!HasWildcard(file.Source.Value))
        return {SourcePath(manifest, file.Source.Value)};
    std::vector<std::filesystem::path> matches;
    try {
        matches = ExpandPattern(manifest.BaseDir, file.Source.Value);
    } catch (const EBuildError& error) {
        Fail(manifest, file.Source.Line, error.what());
    }
    if (matches.empty())
        Fail(manifest, file.Source.Line, "pattern \"" + file.Source.Value + "\" matches no file");
    if (matches.size() > 1 && !file.Shortcut.Value.empty())
        Fail(manifest, file.Shortcut.Line,
             "a shortcut needs a single file, but \"" + file.Source.Value + "\" matches " +
                 std::to_string(matches.size()));
    return matches;
}

// A pattern's files, or a single file whose target ends in a backslash, go into the folder
// the target names, under their own names.
TManifestString TargetFor(const TManifestFile& file, const std::filesystem::path& source) {
    TManifestString target = file.Target;
    const bool folder = HasWildcard(file.Source.Value) || target.Value.back() == '\\';
    if (folder) {
        if (target.Value.back() != '\\')
            target.Value += '\\';
        target.Value += PathToUtf8(source.filename());
    }
    return target;
}

std::string FoldCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void ResolveFiles(const TManifest& manifest, TPackageContent& content) {
    // Windows file names ignore case, so two targets differing only in case are the same file.
    std::map<std::string, int> targets;
    for (const TManifestFile& file : manifest.Files) {
        for (const std::filesystem::path& source : Sources(manifest, file)) {
            TPackageFile item;
            item.Path = ToCodePage(manifest, TargetFor(file, source));
            item.ShortcutName = ToCodePage(manifest, file.Shortcut);
            item.CheckNewer = file.CheckNewer;
            item.NoUninstall = file.NoUninstall;
            item.Data = Measure(manifest, file.Source.Line, source);
            const auto [at, added] = targets.emplace(FoldCase(item.Path), file.Target.Line);
            if (!added)
                Fail(manifest, file.Target.Line,
                     "target \"" + CodePageToUtf8(item.Path, manifest.CodePage) +
                         "\" is already used by the file on line " + std::to_string(at->second));
            content.Files.push_back(std::move(item));
        }
    }
}

void ResolveRuns(const TManifest& manifest, TPackageContent& content) {
    for (const TManifestRun& run : manifest.Runs) {
        TPackageExec exec;
        exec.External = run.Source.Value.empty();
        exec.Path = ToCodePage(manifest, run.Path);
        exec.Title = ToCodePage(manifest, run.Title);
        exec.Parameters = ToCodePage(manifest, run.Parameters);
        exec.Stage = run.Stage;
        if (!exec.External) {
            if (HasWildcard(run.Source.Value))
                Fail(manifest, run.Source.Line, "a program to run needs a single file");
            exec.Data = Measure(manifest, run.Source.Line, SourcePath(manifest, run.Source.Value));
        }
        content.Execs.push_back(std::move(exec));
    }
}

void ResolveHeader(const TManifest& manifest, TPackageContent& content) {
    content.CodePage = manifest.CodePage;
    content.ProductName = ToCodePage(manifest, manifest.ProductName);
    content.VersionMajor = manifest.VersionMajor;
    content.VersionMinor = manifest.VersionMinor;
    content.Build = manifest.Build;
    content.Release = manifest.Release;
    content.Publisher = ToCodePage(manifest, manifest.Publisher);
    content.Website = ToCodePage(manifest, manifest.Website);
    content.Address = ToCodePage(manifest, manifest.Address);
    content.ContactName = ToCodePage(manifest, manifest.ContactName);
    content.ContactEmail = ToCodePage(manifest, manifest.ContactEmail);
    content.ExpertOptions = ToCodePage(manifest, manifest.ExpertOptions);
}

} // namespace

std::string ToCodePage(const TManifest& manifest, const TManifestString& text) {
    TCodePageText converted = Utf8ToCodePage(text.Value, manifest.CodePage);
    if (converted.Unmappable)
        Fail(manifest, text.Line,
             "field \"" + text.Field + "\": character " + DescribeCharacter(*converted.Unmappable) +
                 " is not in code page " + std::to_string(manifest.CodePage));
    return std::move(converted.Bytes);
}

TPackageContent ResolveManifest(const TManifest& manifest, const std::array<uint8_t, 16>& key,
                                std::vector<std::string>& warnings) {
    TPackageContent content;
    content.Key = key;
    ResolveHeader(manifest, content);
    content.LicenseText = ReadDocument(manifest, manifest.License);
    content.ReadmeText = ReadDocument(manifest, manifest.Readme);
    content.WhatsNewText = ReadDocument(manifest, manifest.WhatsNew);
    content.Banner = ReadBanner(manifest, warnings);
    ResolveFiles(manifest, content);
    ResolveRuns(manifest, content);
    return content;
}

} // namespace ko
