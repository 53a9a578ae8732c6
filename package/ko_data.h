// The install and uninstall data objects: what a package or an uninstall log holds, loaded from
// the program file. The runs that act on them, with their progress and lists, are the engine's.
#pragma once

#include "base/stream.h"
#include "package/jpeg_picture.h"
#include "package/sha256.h"
#include "package/text_codec.h"

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

    // Turns every text the load read into UTF-8, from the code page the data records (0: the
    // system's). Throws EKoError naming the code page when Codec does not know it. Call once.
    virtual void DecodeTexts(const TTextCodec& codec);

    std::string FileName;
    // The code page of the texts as the package or log records it; 0 when it records none.
    int32_t CodePage = 0;
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
    // Text (in CodePage) as UTF-8; throws for a code page Codec does not know.
    std::string Decoded(const TTextCodec& codec, const std::string& text) const;
};

class TKoInstall : public TKoData {
public:
    void Clear() override;
    // Reads the package that the pointer at offset 136 finds. No "KOVA" there leaves the data
    // cleared without an error; a cut-off package keeps what was read before the cut.
    void LoadFromStream(TStream& stream) override;

    TKoInstallFile& AddFile();
    TKoInstallExec& AddExec();

    void DecodeTexts(const TTextCodec& codec) override;

    // The uninstall log: magic, code page, identity, banner, then one record per entry, in
    // order. Without Codec the texts are written as they are, with the package's code page;
    // with it they are UTF-8 (DecodeTexts) and are written in the package's code page (the
    // system's when it records none), and an entry that code page cannot hold is followed by
    // its UTF-8 record.
    void WriteUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries,
                           const TTextCodec* codec = nullptr) const;
    // Writes the log at the stream's position (its end) and points offset 136 at it.
    void AppendUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries,
                            const TTextCodec* codec = nullptr) const;

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
    // cleared without an error. An entry with a UTF-8 record holds that UTF-8 path.
    void ReadUninstallLog(TStream& stream);
    // Entries that came with a UTF-8 record keep it.
    void DecodeTexts(const TTextCodec& codec) override;

    std::vector<std::string> FileList;
    std::vector<std::string> FolderList;

private:
    // Which entries hold their UTF-8 path already, by position in their list.
    std::vector<bool> FUtf8Files;
    std::vector<bool> FUtf8Folders;
};

} // namespace ko
