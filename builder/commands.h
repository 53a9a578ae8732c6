// The kosetup subcommands. Each returns the exit code of a successful run and throws
// EBuildError (exit code 1) naming the file and what failed otherwise. File names are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace ko {

struct TBuildOptions {
    std::string Manifest;
    std::string Output;
    std::string Stub; // empty: stub.exe beside the kosetup program
    std::optional<std::array<uint8_t, 16>> Key;
};

// Writes the installer. Progress and warnings go to Err, the summary line to Out.
int BuildCommand(const TBuildOptions& options, std::ostream& out, std::ostream& err);
// Prints the header fields and records of a Setup.exe, or the identity and entries of an
// Uninstall.exe. CodePage overrides the package's own note (default 1252).
int ListCommand(const std::string& file, std::optional<int> codePage, std::ostream& out);
// Writes every stored file and program of a Setup.exe under Dir.
int ExtractCommand(const std::string& file, const std::string& dir, std::ostream& out);
// Checks every record's stored data; throws naming the first bad record.
int VerifyCommand(const std::string& file, std::ostream& out);

// The place under the extraction folder for a target path such as "{app}\Docs\Manual.txt"
// (giving app/Docs/Manual.txt). Throws EBuildError for a path that is absolute or climbs out
// with "..", so that a hostile package cannot write outside the folder.
std::filesystem::path ExtractionPath(const std::string& target);

// "2024-05-01 12:34:56 UTC" for a FILETIME; "-" for 0.
std::string FormatFileTime(uint64_t fileTime);

} // namespace ko
