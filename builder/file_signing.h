// The vendor's signing tool, run by the builder: on the finished installer, and on copies of the
// product's programs and DLLs marked sign = true, so that the files a trader installs carry the
// vendor's signature while the vendor's own files stay as they were.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ko {

// Runs Command, a shell command line, with {in} replaced by In and {out} by In plus ".signed";
// returns the file it signed: that one, or In itself when Command has no {out} (it signs in
// place). Throws EBuildError naming the command line when it fails or writes nothing.
std::filesystem::path RunSignCommand(const std::string& command, const std::filesystem::path& in);

// Signs copies of source files in a folder of its own, which it removes when it goes.
class TFileSigner {
public:
    explicit TFileSigner(std::string command) : FCommand(std::move(command)) {}
    ~TFileSigner();
    TFileSigner(const TFileSigner&) = delete;
    TFileSigner& operator=(const TFileSigner&) = delete;

    bool HasCommand() const { return !FCommand.empty(); }
    // The signed copy of Source, under its own name. Throws EBuildError.
    std::filesystem::path SignCopy(const std::filesystem::path& source);
    // The sources it has copied: the build reads them, so the installer must not overwrite one.
    const std::vector<std::filesystem::path>& Sources() const { return FSources; }

private:
    std::string FCommand;
    std::filesystem::path FFolder;
    std::vector<std::filesystem::path> FSources;
    int FCount = 0;
};

} // namespace ko
