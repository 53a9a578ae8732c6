#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/manifest.h"
#include "builder/output_file.h"
#include "builder/package_writer.h"
#include "builder/platform.h"
#include "builder/product.h"

namespace ko {

namespace {

// Above this much content a build takes long enough to be worth a progress line per file.
constexpr int64_t ProgressThreshold = 8 << 20;

std::filesystem::path StubPath(const TBuildOptions& options) {
    if (!options.Stub.empty())
        return PathFromUtf8(options.Stub);
    const std::filesystem::path self = ExecutablePath();
    const std::filesystem::path stub = self.parent_path() / "stub.exe";
    if (self.empty() || !std::filesystem::exists(stub))
        throw EBuildError("No stub given and none found beside kosetup (" + PathToUtf8(stub) +
                          "); name one with --stub PATH");
    return stub;
}

TBuildProgress Progress(std::ostream& err, int64_t total) {
    if (total <= ProgressThreshold)
        return {};
    return [&err](const std::filesystem::path& source, int64_t done, int64_t all) {
        const int64_t percent = all > 0 ? done * 100 / all : 100;
        err << "["
            << (percent < 10    ? "  "
                : percent < 100 ? " "
                                : "")
            << percent << "%] " << PathToUtf8(source) << "\n"
            << std::flush;
    };
}

// Every file the build reads: the manifest, the stub, the documents and every stored source.
std::vector<std::filesystem::path> Inputs(const TBuildOptions& options, const TManifest& manifest,
                                          const TPackageContent& content,
                                          const std::filesystem::path& stub) {
    std::vector<std::filesystem::path> inputs = {PathFromUtf8(options.Manifest), stub};
    for (const TManifestString* document :
         {&manifest.License, &manifest.Readme, &manifest.WhatsNew, &manifest.Banner})
        if (!document->Value.empty())
            inputs.push_back(manifest.BaseDir / PathFromUtf8(document->Value));
    for (const TPackageFile& file : content.Files)
        inputs.push_back(file.Data.Source);
    for (const TPackageExec& exec : content.Execs)
        if (!exec.External)
            inputs.push_back(exec.Data.Source);
    return inputs;
}

std::string Plural(size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

} // namespace

int BuildCommand(const TBuildOptions& options, std::ostream& out, std::ostream& err) {
    const TManifest manifest = LoadManifest(options.Manifest);
    std::array<uint8_t, 16> key;
    if (options.Key)
        key = *options.Key;
    else
        RandomBytes(key.data(), key.size());
    std::vector<std::string> warnings;
    const TPackageContent content = ResolveManifest(manifest, key, warnings);
    for (const std::string& warning : warnings)
        err << "warning: " << warning << "\n";
    const std::filesystem::path output = PathFromUtf8(options.Output);
    const int64_t total = TotalContentBytes(content);
    const std::filesystem::path stub = StubPath(options);
    CheckOutputIsNoInput(output, Inputs(options, manifest, content, stub));
    BuildSetupFile(stub, content, output, Progress(err, total));
    out << options.Output << ": " << Plural(content.Files.size(), "file") << ", "
        << Plural(content.Execs.size(), "run item") << ", " << total << " content bytes, code page "
        << content.CodePage << ", " << std::filesystem::file_size(output) << " bytes in all\n";
    return 0;
}

} // namespace ko
