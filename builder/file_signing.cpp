#include "builder/file_signing.h"

#include "builder/build_error.h"
#include "builder/platform.h"
#include "builder/problems.h"

#include <cstdio>

namespace ko {

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::filesystem::path NewFolder() {
    uint8_t random[8];
    RandomBytes(random, sizeof random);
    char name[32];
    std::snprintf(name, sizeof name, "kosetup-sign-%02x%02x%02x%02x%02x%02x%02x%02x", random[0],
                  random[1], random[2], random[3], random[4], random[5], random[6], random[7]);
    std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directory(folder);
    return folder;
}

} // namespace

std::filesystem::path RunSignCommand(const std::string& command, const std::filesystem::path& in) {
    std::filesystem::path result = in;
    result += ".signed";
    const bool copy = command.find("{out}") != std::string::npos;
    const std::string line =
        Replace(Replace(command, "{in}", ShellQuote(in)), "{out}", ShellQuote(result));
    if (!copy)
        result = in;
    const int code = RunShellCommand(line);
    std::error_code ignored;
    if (code != 0) {
        if (copy)
            std::filesystem::remove(result, ignored);
        throw EBuildError("The signing command failed (exit code " + std::to_string(code) +
                          "): " + line);
    }
    if (!std::filesystem::exists(result))
        throw EBuildError("The signing command wrote no " + Quoted(PathToUtf8(result)) + ": " +
                          line);
    return result;
}

TFileSigner::~TFileSigner() {
    std::error_code ignored;
    if (!FFolder.empty())
        std::filesystem::remove_all(FFolder, ignored);
}

std::filesystem::path TFileSigner::SignCopy(const std::filesystem::path& source) {
    if (FFolder.empty())
        FFolder = NewFolder();
    // A folder for each copy keeps the file's own name, which a signing tool may show or check.
    const std::filesystem::path folder = FFolder / std::to_string(++FCount);
    std::filesystem::create_directory(folder);
    const std::filesystem::path copy = folder / source.filename();
    std::filesystem::copy_file(source, copy);
    FSources.push_back(source);
    return RunSignCommand(FCommand, copy);
}

} // namespace ko
