// The install and uninstall data objects: what a package or an uninstall log holds, loaded from
// the program file. The runs that act on them, with their progress and lists, are the engine's.
#pragma once

#include "base/stream.h"
#include "package/jpeg_picture.h"
#include "package/sha256.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ko {

// A file to install: its target path and the location of its enciphered data.
struct TKoInstallFile {
    std::string Path;
    uint64_t CreationTime = 0;  // FILETIME
    uint64_t LastWriteTime = 0; // FILETIME
    std::string ShortcutName;
    int32_t Size = 0;   // stored (enciphered) bytes
    int32_t Offset = 0; // absolute offset in the program file
    uint8_t CheckNewer = 0;
    uint8_t NoUninstall = 0;
    // The SHA-256 of the content, when the package records one.
    bool HasDigest = false;
    TDigest Digest{};
};

// A program to run at one stage; its data lies in the package unless External is set.
struct TKoInstallExec {
    uint8_t External = 0;
    std::string Path;
    std::string Title;
    std::string Parameters;
    uint8_t Stage = 0;
    uint64_t CreationTime = 0;
    uint64_t LastWriteTime = 0;
    int32_t Size = 0;
    int32_t Offset = 0;
    bool HasDigest = false;
    TDigest Digest{};
};

// When a run item runs.
enum TKoStage : uint8_t {
    stWizardStart = 0,
    stBeforeFiles = 1,
    stAfterFiles = 2,
    stWizardClose = 3
};

// One thing the install run created; uninstalling removes it.
struct TUninstallEntry {
    std::string Path;
    bool Folder = false;
};

class TKoData {
public:
    TKoData() = default;
    virtual ~TKoData() = default;
    TKoData(const TKoData&) = delete;
    TKoData& operator=(const TKoData&) = delete;

    // Resets what the package or log sets; FileName stays.
    virtual void Clear();
    virtual void LoadFromStream(TStream& stream) = 0;

    // Opens Name read-only, denying others writes, and loads it; the file stays open as
    // File() until the object goes or loads another. An open error (EFOpenError) or a load
    // error propagates with the file named, a record too large for memory as "NAME is damaged:
    // ..."; FileName is set only after a successful load.
    void LoadFromFile(const std::string& name);

    // The file LoadFromFile loaded, through which every stored file and run item is read: the
    // bytes installed are those that were loaded, whatever happens to the name meanwhile.
    // Throws EFOpenError when nothing was loaded from a file.
    TStream& File() const;

    std::string FileName;
    TJpegPicture Banner;

    std::string ProductName;
    int32_t VersionMajor = 1;
    int32_t VersionMinor = 0;
    int32_t Build = 0;
    int32_t Release = 0;
    std::string Publisher;
    std::string Website;
    std::string Address;
    std::string ContactName;
    std::string ContactEmail;

protected:
    std::unique_ptr<TStream> FFile;

    // Reads a banner record's count and bytes. A count of 0 or less, or a picture the decoder
    // rejects, gives an empty banner.
    void ReadBanner(class TTagStreamAdapter& reader);
};

class TKoInstall : public TKoData {
public:
    void Clear() override;
    // Reads the package that the pointer at offset 136 finds. No "KOVA" there leaves the data
    // cleared without an error; a cut-off package keeps what was read before the cut.
    void LoadFromStream(TStream& stream) override;

    TKoInstallFile& AddFile();
    TKoInstallExec& AddExec();

    // The uninstall log: magic, identity, banner, then one record per entry, in order.
    void WriteUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries) const;
    // Writes the log at the stream's position (its end) and points offset 136 at it.
    void AppendUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries) const;

    std::vector<std::unique_ptr<TKoInstallFile>> Files;
    std::vector<std::unique_ptr<TKoInstallExec>> Execs;
    std::string ExpertOptions;
    std::string LicenseText;
    std::string ReadmeText;
    std::string WhatsNewText;
    uint8_t Key[16] = {};
};

class TKoUninstall : public TKoData {
public:
    void Clear() override;
    // Finds the log through the pointer at offset 136 and reads it.
    void LoadFromStream(TStream& stream) override;

    // Reads the magic and the records from the stream's position; no "KOVU" leaves the data
    // cleared without an error.
    void ReadUninstallLog(TStream& stream);

    std::vector<std::string> FileList;
    std::vector<std::string> FolderList;
};

} // namespace ko
