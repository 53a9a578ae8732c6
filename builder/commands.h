// The kosetup subcommands. Each returns the exit code of a successful run and throws
// EBuildError (exit code 1) naming the file and what failed otherwise. File names are UTF-8.
#pragma once

#include "package/format.h"
#include "package/terminal_platform.h"

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
    std::string Stub; // empty: the stub built into kosetup
    std::optional<std::array<uint8_t, format::KeySize>> Key;
    // From SOURCE_DATE_EPOCH: stored times are clamped to it, and without Key the key is
    // derived from the content, so that the same sources give the same installer.
    std::optional<int64_t> SourceDateEpoch;
    bool Quiet = false; // no progress lines
    // Run on the finished installer: {in} stands for it, {out} for a signed copy to write when
    // the tool does not sign in place.
    std::string SignCommand;
};

// Writes the installer. Progress and warnings go to Err, the summary line to Out.
int BuildCommand(const TBuildOptions& options, std::ostream& out, std::ostream& err);
// Reads and resolves a manifest as a build does, writing nothing; throws EManifestError with
// every mistake. Warnings go to Err, the summary line to Out.
int CheckCommand(const std::string& manifest, std::ostream& out, std::ostream& err);
// "check --json": the same check, its mistakes and warnings as data on Out (file, line, column,
// message; null where a problem has none), the summary too when it passes. 0 or 1 as "check".
int CheckJson(const std::string& manifest, std::ostream& out);
// Writes a commented product that builds at once into Dir (a manifest, a placeholder licence,
// an MQL4 and/or MQL5 folder, as Platforms says); refuses a folder that holds a product.toml
// already.
int InitCommand(const std::string& dir, TPlatforms platforms, std::ostream& out);
// Prints the header fields and records of a Setup.exe, or the identity and entries of an
// Uninstall.exe, as text or as JSON. CodePage overrides the package's own note (default 1252).
int ListCommand(const std::string& file, std::optional<int> codePage, bool json, std::ostream& out);
// Writes every stored file and program of a Setup.exe under Dir; with Documents also the
// licence, readme, what's-new documents and the banner under Dir/documents.
int ExtractCommand(const std::string& file, const std::string& dir, bool documents,
                   std::ostream& out);
// Checks every record's stored data; throws naming the first bad record.
int VerifyCommand(const std::string& file, std::ostream& out);

// The place under the extraction folder for a target path such as "{app}\Docs\Manual.txt"
// (giving app/Docs/Manual.txt). Throws EBuildError for a path that is absolute or climbs out
// with "..", so that a hostile package cannot write outside the folder.
std::filesystem::path ExtractionPath(const std::string& target);

// "2024-05-01 12:34:56 UTC" for a FILETIME; "-" for 0.
std::string FormatFileTime(uint64_t fileTime);

} // namespace ko
