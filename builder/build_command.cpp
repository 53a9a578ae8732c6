#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/destinations.h"
#include "builder/digest.h"
#include "builder/embedded_stub.h"
#include "builder/file_signing.h"
#include "builder/manifest.h"
#include "builder/output_file.h"
#include "builder/package_reader.h"
#include "builder/package_writer.h"
#include "builder/platform.h"
#include "builder/product.h"
#include "builder/version_resource.h"
#include "package/format.h"

#include <algorithm>
#include <memory>

namespace ko {

namespace {

// Above this much content a build takes long enough to be worth a progress line per file.
constexpr int64_t ProgressThreshold = 8 << 20;

struct TStubChoice {
    std::vector<uint8_t> Bytes;
    std::string Name;
    std::filesystem::path Path; // empty for the stub kosetup carries
};

TStubChoice ChooseStub(const TBuildOptions& options) {
    if (!options.Stub.empty())
        return {ReadStub(PathFromUtf8(options.Stub)), options.Stub, PathFromUtf8(options.Stub)};
    const TEmbeddedStub embedded = EmbeddedStub();
    if (embedded.Size == 0)
        throw EBuildError("This kosetup was built without a stub; name one with --stub PATH");
    return {std::vector<uint8_t>(embedded.Bytes, embedded.Bytes + embedded.Size),
            "the stub inside kosetup",
            {}};
}

// A line when a new item starts and every 5 % inside one, so that a large file shows that the
// build moves; the last line says 100 %.
TBuildProgress Progress(std::ostream& err, int64_t total, bool quiet) {
    if (quiet || total <= ProgressThreshold)
        return {};
    auto last = std::make_shared<std::pair<std::filesystem::path, int64_t>>("", -100);
    return [&err, last](const std::filesystem::path& source, int64_t done, int64_t all) {
        const int64_t percent = all > 0 ? done * 100 / all : 100;
        if (source == last->first && percent < last->second + 5 && !source.empty())
            return;
        *last = {source, percent};
        err << "["
            << (percent < 10    ? "  "
                : percent < 100 ? " "
                                : "")
            << percent << "%] " << (source.empty() ? "done" : PathToUtf8(source)) << "\n"
            << std::flush;
    };
}

// Every file the build reads: the manifest, the stub (when it is a file), the documents and every
// stored source.
std::vector<std::filesystem::path> Inputs(const TBuildOptions& options, const TManifest& manifest,
                                          const TPackageContent& content,
                                          const std::filesystem::path& stub) {
    std::vector<std::filesystem::path> inputs = {PathFromUtf8(options.Manifest)};
    if (!stub.empty())
        inputs.push_back(stub);
    for (const TManifestString* document :
         {&manifest.License, &manifest.Readme, &manifest.WhatsNew, &manifest.Banner})
        if (!document->Value.empty())
            inputs.push_back(manifest.BaseDir / PathFromUtf8(document->Value));
    for (const TManifestString& translation : manifest.Translations)
        inputs.push_back(manifest.BaseDir / PathFromUtf8(translation.Value));
    for (const TManifestDocuments& documents : manifest.LanguageDocuments)
        for (const TManifestString* document :
             {&documents.License, &documents.Readme, &documents.WhatsNew})
            if (!document->Value.empty())
                inputs.push_back(manifest.BaseDir / PathFromUtf8(document->Value));
    for (const TPackageFile& file : content.Files)
        inputs.push_back(file.Data.Source);
    for (const TPackageExec& exec : content.Execs)
        if (!exec.External)
            inputs.push_back(exec.Data.Source);
    return inputs;
}

// Later times become Epoch: a fresh checkout's file times then no longer reach the package.
void ClampTimes(TPackageContent& content, int64_t epoch) {
    const uint64_t limit = FileTimeFromUnix(epoch, 0);
    const auto clamp = [limit](TStoredSource& data) {
        data.Times.Creation = std::min(data.Times.Creation, limit);
        data.Times.LastWrite = std::min(data.Times.LastWrite, limit);
    };
    for (TPackageFile& file : content.Files)
        clamp(file.Data);
    for (TPackageExec& exec : content.Execs)
        clamp(exec.Data);
}

// A key that depends on nothing but the content: the package records (with a zero key) and every
// stored byte. It gives reproducible builds; it keeps nothing secret, which no key stored in
// the package does anyway.
std::array<uint8_t, format::KeySize> ContentKey(const TPackageContent& content) {
    TSha256 sha;
    sha.Update(std::string("kosetup content key 1"));
    TMemoryStream records;
    WritePackageRecords(records, content, 0, {});
    sha.Update(records.Data().data(), records.Data().size());
    std::vector<uint8_t> buffer(1 << 16);
    for (const TStoredSource* item : StoredItems(content)) {
        TFileStream input(NativeName(item->Source), TFileMode::OpenRead);
        for (int64_t n; (n = input.Read(buffer.data(), int64_t(buffer.size()))) > 0;)
            sha.Update(buffer.data(), size_t(n));
    }
    const std::array<uint8_t, 32> digest = sha.Finish();
    std::array<uint8_t, format::KeySize> key;
    std::copy_n(digest.begin(), key.size(), key.begin());
    return key;
}

// Runs the vendor's signing tool on the written installer. The signed file must still carry
// its package where the stub's pointer says, or the installer would find nothing.
TOutputFinisher Signer(const std::string& command, uint32_t packageOffset) {
    if (command.empty())
        return {};
    return [command, packageOffset](const std::filesystem::path& written) {
        const std::filesystem::path result = RunSignCommand(command, written);
        std::error_code ignored;
        try {
            const TPackageScan scan = ScanPackage(NativeName(result));
            if (scan.Kind != TPackageKind::Install || scan.PackageOffset != packageOffset ||
                scan.RecordsEnd < 0)
                throw EBuildError("The signing command damaged the package: " + command);
        } catch (...) {
            if (result != written)
                std::filesystem::remove(result, ignored);
            throw;
        }
        if (result != written)
            std::filesystem::remove(written, ignored);
        return result;
    };
}

std::string Plural(size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

void PrintDestinations(const TPackageContent& content, std::ostream& out) {
    for (const std::string& line : DestinationSummary(content))
        out << "  " << line << "\n";
}

} // namespace

int CheckCommand(const std::string& manifestFile, std::ostream& out, std::ostream& err) {
    const TManifest manifest = LoadManifest(manifestFile);
    std::vector<std::string> warnings;
    const TPackageContent content = ResolveManifest(manifest, {}, warnings);
    for (const std::string& warning : warnings)
        err << warning << "\n";
    out << manifestFile << ": OK: " << Plural(content.Files.size(), "file") << ", "
        << Plural(content.Execs.size(), "run item") << ", " << TotalContentBytes(content)
        << " content bytes\n";
    PrintDestinations(content, out);
    return 0;
}

int BuildCommand(const TBuildOptions& options, std::ostream& out, std::ostream& err) {
    const TManifest manifest = LoadManifest(options.Manifest);
    std::array<uint8_t, format::KeySize> key{};
    if (options.Key)
        key = *options.Key;
    else if (!options.SourceDateEpoch)
        RandomBytes(key.data(), key.size());
    std::vector<std::string> warnings;
    // Holds the signed copies of the product's files until the installer is written.
    TFileSigner fileSigner(options.SignCommand);
    TPackageContent content = ResolveManifest(manifest, key, warnings, &fileSigner);
    if (options.SourceDateEpoch) {
        ClampTimes(content, *options.SourceDateEpoch);
        if (!options.Key)
            content.Key = ContentKey(content);
    }
    for (const std::string& warning : warnings)
        err << warning << "\n";
    const std::filesystem::path output = PathFromUtf8(options.Output);
    const int64_t total = TotalContentBytes(content);
    TStubChoice stub = ChooseStub(options);
    std::vector<std::filesystem::path> inputs = Inputs(options, manifest, content, stub.Path);
    inputs.insert(inputs.end(), fileSigner.Sources().begin(), fileSigner.Sources().end());
    CheckOutputIsNoInput(output, inputs);
    const uint32_t packageOffset = static_cast<uint32_t>(stub.Bytes.size());
    // A stub of another build may reserve none; "kosetup list" then shows none.
    WriteVersionResource(stub.Bytes, VersionInfoOf(manifest));
    BuildSetupFile(std::move(stub.Bytes), stub.Name, content, output,
                   Progress(err, total, options.Quiet), Signer(options.SignCommand, packageOffset));
    out << options.Output << ": " << Plural(content.Files.size(), "file") << ", "
        << Plural(content.Execs.size(), "run item") << ", " << total << " content bytes, code page "
        << content.CodePage << ", " << std::filesystem::file_size(output) << " bytes in all\n";
    PrintDestinations(content, out);
    return 0;
}

} // namespace ko
