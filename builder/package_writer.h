// Writes Setup.exe: a copy of the stub with the package pointer set, the "KOVA" tag stream and
// the enciphered data of every file and stored program behind it.
#pragma once

#include "base/stream.h"
#include "builder/output_file.h"
#include "builder/platform.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/sha256.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ko {

// The content of a file or stored program, read from disk when the package is written.
struct TStoredSource {
    std::filesystem::path Source;
    int64_t Length = 0; // content bytes, as measured when the manifest was resolved
    TFileTimes Times;
};

struct TPackageFile {
    std::string Path; // 8-bit, in the package's code page
    std::string ShortcutName;
    bool CheckNewer = false;
    bool NoUninstall = false;
    TStoredSource Data;
};

struct TPackageExec {
    bool External = true;
    std::string Path;
    std::string Title;
    std::string Parameters;
    uint8_t Stage = 0;
    TStoredSource Data; // unused when External
};

// Everything the package holds, with texts already in the package's code page.
struct TPackageContent {
    int CodePage = 0;
    std::string ProductName;
    int32_t VersionMajor = 1, VersionMinor = 0, Build = 0, Release = 0;
    std::string Publisher, Website, Address, ContactName, ContactEmail;
    std::string LicenseText, ReadmeText, WhatsNewText, ExpertOptions;
    std::vector<uint8_t> Banner;
    std::array<uint8_t, format::KeySize> Key{};
    std::vector<TPackageFile> Files;
    std::vector<TPackageExec> Execs;
    // The wizard's translations, texts UTF-8, documents ready for the package.
    std::vector<TKoLanguage> Languages;
};

// Called before each stored item and every MiB inside it with its source, the content bytes
// written so far and the total content bytes; last with an empty source and done = total.
using TBuildProgress =
    std::function<void(const std::filesystem::path& source, int64_t done, int64_t total)>;

// Throws EBuildError naming Name unless Stub is a program whose PE header starts at 256 with
// bytes 128 to 255 zero, so that the package pointer at 136 lies in padding.
void CheckStub(const std::vector<uint8_t>& stub, const std::string& name);

// The tag stream of the package; the stored data will start at DataStart. Digests holds the
// SHA-256 of each stored item's content, in StoredItems order; missing ones are written as
// zeros, of the same length.
void WritePackageRecords(TStream& output, const TPackageContent& content, int64_t dataStart,
                         const std::vector<TDigest>& digests);

// Writes the stub (its pointer set), the package and the data to Output. Throws EBuildError
// when the result would not fit the format's 32-bit offsets or a source changed meanwhile.
void WriteSetup(TStream& output, std::vector<uint8_t> stub, const TPackageContent& content,
                const TBuildProgress& progress);

// A stub file's bytes. Throws EBuildError naming the file.
std::vector<uint8_t> ReadStub(const std::filesystem::path& path);

// Checks the stub (named StubName in messages), then writes Output through a temporary file
// beside it, renamed only when everything was written: a failed or interrupted build leaves no
// partial Setup.exe. Finish, when given, sees the written file first (see WriteOutputFile).
void BuildSetupFile(std::vector<uint8_t> stub, const std::string& stubName,
                    const TPackageContent& content, const std::filesystem::path& outputPath,
                    const TBuildProgress& progress, const TOutputFinisher& finish = {});

// Every item with stored data, in record order: files, then stored programs.
std::vector<const TStoredSource*> StoredItems(const TPackageContent& content);
int64_t TotalContentBytes(const TPackageContent& content);

} // namespace ko
