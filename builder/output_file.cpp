#include "builder/output_file.h"

#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/platform.h"

#include <cstdio>
#include <random>

namespace ko {

namespace {

// A new file "Setup.exe.1f2e3d4c.partial" beside Output, created exclusively so that no file of
// the user's is ever taken; a name already there (left by a build that was killed) is passed by.
std::unique_ptr<TFileStream> CreateTemporary(const std::filesystem::path& output,
                                             std::filesystem::path& name) {
    static std::random_device random;
    for (int attempt = 0;; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.partial", unsigned(random()));
        name = output;
        name += suffix;
        std::error_code error;
        if (attempt < 8 && std::filesystem::exists(std::filesystem::symlink_status(name, error)))
            continue;
        return std::make_unique<TFileStream>(NativeName(name), TFileMode::CreateNew);
    }
}

} // namespace

void CheckOutputIsNoInput(const std::filesystem::path& output,
                          const std::vector<std::filesystem::path>& inputs) {
    for (const std::filesystem::path& input : inputs) {
        std::error_code error;
        if (std::filesystem::equivalent(output, input, error))
            throw EBuildError("The output \"" + PathToUtf8(output) + "\" is the input \"" +
                              PathToUtf8(input) + "\"; writing it would destroy it");
    }
}

void WriteOutputFile(const std::filesystem::path& output,
                     const std::function<void(TStream&)>& write, const TOutputFinisher& finish) {
    std::filesystem::path temporary;
    auto stream = CreateTemporary(output, temporary);
    // From here on the file is ours to remove.
    RemoveOnInterrupt(temporary);
    try {
        write(*stream);
        stream.reset();
        const std::filesystem::path result = finish ? finish(temporary) : temporary;
        std::error_code error;
        std::filesystem::rename(result, output, error);
        if (error)
            throw EBuildError("Cannot write \"" + PathToUtf8(output) + "\". " + error.message());
    } catch (...) {
        stream.reset();
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        KeepOnInterrupt();
        throw;
    }
    KeepOnInterrupt();
}

} // namespace ko
