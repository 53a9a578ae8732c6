// The product manifest: a TOML file in which a vendor describes the product to package. Reading
// it checks the structure (known keys, types, ranges, target path syntax) and keeps every value
// as UTF-8 with the line it came from; turning it into package content is ResolveManifest's job.
// Mistakes are collected in the manifest's Problems, so that one run reports all of them.
#pragma once

#include "builder/problems.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ko {

// A text value of the manifest: its UTF-8 value, the dotted name of its field and its line.
struct TManifestString {
    std::string Value;
    std::string Field;
    int Line = 0;
};

struct TManifestFile {
    TManifestString Source; // a file, or a pattern with *, ? and ** (any depth of folders)
    TManifestString Target; // ends in a backslash when it names a folder
    TManifestString Shortcut;
    std::vector<TManifestString> Exclude; // patterns of files a source pattern leaves out
    bool CheckNewer = false;
    bool NoUninstall = false;
    bool Sign = false; // stored as signed by the build's sign command
    bool Valid = true; // false when its table had a mistake: it is not resolved
    int Line = 0;
};

struct TManifestRun {
    TManifestString Source; // empty: an external program
    TManifestString Path;
    TManifestString Title;
    TManifestString Parameters;
    uint8_t Stage = 0;
    bool Valid = true;
    int Line = 0;
};

// The documents of one language, from [documents.<tag>]; a field left out shows the one of
// [documents].
struct TManifestDocuments {
    TManifestString Tag; // as written, its line that of the table
    TManifestString License, Readme, WhatsNew;
};

struct TManifest {
    std::string FileName;          // as given, for messages
    std::filesystem::path BaseDir; // relative source paths start here
    int CodePage = 0;
    int CodePageLine = 0;
    TManifestString ProductName, Publisher, Website, Address, ContactName, ContactEmail;
    TManifestString Copyright; // the version resource's copyright line; empty for none
    int32_t VersionMajor = 1, VersionMinor = 0, Build = 0, Release = 0;
    TManifestString License, Readme, WhatsNew, Banner; // file paths, empty when absent
    TManifestString ExpertOptions;
    // The wizard's languages: Languages limits the set when HasLanguages (the tags are checked
    // once the translations are read), Translations are the vendor's own files.
    bool HasLanguages = false;
    std::vector<TManifestString> Languages;
    std::vector<TManifestString> Translations;
    std::vector<TManifestDocuments> LanguageDocuments;
    std::vector<TManifestFile> Files;
    std::vector<TManifestRun> Runs;
    TProblems Problems;
    bool Parsed = false; // false when the file could not be read or is not TOML
};

// Reads and checks a manifest file; its mistakes go to Problems, nothing is thrown.
TManifest LoadManifest(const std::string& fileName);
// The same for a manifest already in memory; FileName names it in messages.
TManifest ParseManifest(std::string_view text, const std::string& fileName,
                        const std::filesystem::path& baseDir);

// What is wrong with a target path whose slashes have become backslashes, as a phrase to
// follow it ("holds a \"..\" component"), or "" when nothing is: it must begin with a path
// variable (or, with AllowDrive, a drive), end in a file name (or, with AllowFolder, a "\"),
// and hold only names Windows keeps as they are: no "." or "..", no stream (":"), no device
// name, no trailing dot or blank.
std::string CheckTargetPath(const std::string& path, bool allowDrive, bool allowFolder);

// The variables an installer knows in target paths, lower case with braces.
const std::vector<std::string>& PathVariables();

} // namespace ko
