#include "base/codepage.h"
#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/package_reader.h"
#include "builder/platform.h"
#include "package/stored_item.h"

#include <algorithm>

namespace ko {

namespace {

[[noreturn]] void Unsafe(const std::string& target, const std::string& why) {
    throw EBuildError("Target path \"" + target + "\" " + why + "; it is not extracted");
}

// "{app}" becomes "app"; any other component stays as it is.
std::string Component(const std::string& part) {
    if (part.size() > 2 && part.front() == '{' && part.back() == '}')
        return part.substr(1, part.size() - 2);
    return part;
}

// Writes one record's data deciphered to Path; a failure removes the partial file.
void ExtractRecord(TStream& package, const TStoredRecord& record, const uint8_t* key,
                   const std::filesystem::path& path, const std::string& name) {
    std::filesystem::create_directories(path.parent_path());
    try {
        TFileStream output(NativeName(path), TFileMode::Create);
        DecipherStored(package, record, key, output);
    } catch (const EKoError& error) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        throw EBuildError(name + ": cannot extract " + record.Kind + " " +
                          std::to_string(record.Number) + ": " + error.what());
    }
    SetFileTimes(path, {record.CreationTime, record.LastWriteTime});
}

// The documents and the banner as the package holds them: RTF in the package's code page, the
// banner as its JPEG bytes.
size_t ExtractDocuments(const TKoInstall& install, const std::filesystem::path& dir,
                        std::ostream& out) {
    const std::pair<const char*, std::string> items[] = {
        {"license.rtf", install.LicenseText},
        {"readme.rtf", install.ReadmeText},
        {"whats_new.rtf", install.WhatsNewText},
        {"banner.jpg", std::string(install.Banner.Bytes().begin(), install.Banner.Bytes().end())}};
    size_t written = 0;
    for (const auto& [name, bytes] : items) {
        if (bytes.empty())
            continue;
        std::filesystem::create_directories(dir);
        const std::filesystem::path path = dir / name;
        TFileStream output(NativeName(path), TFileMode::Create);
        output.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        out << PathToUtf8(path) << "\n";
        ++written;
    }
    return written;
}

} // namespace

std::filesystem::path ExtractionPath(const std::string& target) {
    if (target.empty())
        Unsafe(target, "is empty");
    if (target.front() == '\\' || target.front() == '/')
        Unsafe(target, "is absolute");
    std::filesystem::path relative;
    size_t start = 0;
    while (start <= target.size()) {
        const size_t end = std::min(target.find_first_of("\\/", start), target.size());
        const std::string part = Component(target.substr(start, end - start));
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            Unsafe(target, "climbs out with \"..\"");
        if (part.find(':') != std::string::npos)
            Unsafe(target, "names a drive or a stream");
        if (std::any_of(part.begin(), part.end(), [](char c) { return uint8_t(c) < 0x20; }))
            Unsafe(target, "holds a control character");
        relative /= PathFromUtf8(part);
    }
    if (relative.empty())
        Unsafe(target, "names no file");
    return relative;
}

int ExtractCommand(const std::string& file, const std::string& dir, bool documents,
                   std::ostream& out) {
    const std::string native = NativeName(PathFromUtf8(file));
    const TPackageScan scan = ScanPackage(native);
    if (scan.Kind != TPackageKind::Install)
        throw EBuildError(file + ": an uninstaller carries no files to extract");
    const int codePage =
        IsSupportedCodePage(scan.CodePage.value_or(0)) ? *scan.CodePage : DefaultCodePage;
    const TKoInstall& install = *scan.Install;
    const std::vector<TStoredRecord> records = StoredRecords(install);
    // The structure, every path and every record's data are checked before anything is
    // written, so a damaged or hostile package writes nothing.
    const TPackageCheck check(file, scan, codePage);
    check.CheckStructure(records);
    std::vector<std::filesystem::path> paths;
    for (const TStoredRecord& record : records)
        paths.push_back(PathFromUtf8(dir) / ExtractionPath(CodePageToUtf8(record.Path, codePage)));
    TFileStream package(native, TFileMode::OpenRead);
    for (const TStoredRecord& record : records)
        check.CheckCipher(package, record, install.Key);
    for (size_t i = 0; i < records.size(); ++i) {
        ExtractRecord(package, records[i], install.Key, paths[i], file);
        out << PathToUtf8(paths[i]) << "\n";
    }
    const size_t extras =
        documents ? ExtractDocuments(install, PathFromUtf8(dir) / "documents", out) : 0;
    out << "Extracted " << records.size() << " stored items"
        << (documents ? " and " + std::to_string(extras) + " documents" : "") << " to " << dir
        << "\n";
    return 0;
}

} // namespace ko
