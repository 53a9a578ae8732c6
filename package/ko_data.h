// The install and uninstall data objects: what a package or an uninstall log holds, loaded from
// the program file. The runs that act on them, with their progress and lists, are the engine's.
#pragma once

#include "base/stream.h"
#include "package/format.h"
#include "package/jpeg_picture.h"
#include "package/stored_item.h"
#include "package/text_codec.h"
#include "package/uninstall_log.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ko {

// A file to install: its target path and the location of its enciphered data.
struct TKoInstallFile : TStoredItem {
    std::string Path;
    std::string ShortcutName;
    uint8_t CheckNewer = 0;
    uint8_t NoUninstall = 0;
};

// A program to run at one stage; its data lies in the package unless External is set.
struct TKoInstallExec : TStoredItem {
    uint8_t External = 0;
    std::string Path;
    std::string Title;
    std::string Parameters;
    uint8_t Stage = 0;
};

// When a run item runs.
enum TKoStage : uint8_t {
    stWizardStart = 0,
    stBeforeFiles = 1,
    stAfterFiles = 2,
    stWizardClose = 3
};

// A translation of the wizard that a package carries: its texts by key (the keys of
// languages/en.toml, "button.next"), in UTF-8 whatever the package's code page, and the
// documents in that language where the vendor gave them.
struct TKoLanguage {
    std::string Tag;  // "de", "pt-br": a language and an optional region, in lower case
    std::string Name; // the language's own name for itself: "Deutsch"
    std::map<std::string, std::string> Texts;
    // RTF; empty: the package's own document is shown.
    std::string LicenseText;
    std::string ReadmeText;
    std::string WhatsNewText;
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
    // Closes that file, for what needs it free (the uninstaller moving itself away); File()
    // throws from then on.
    void ReleaseFile() { FFile.reset(); }

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
    // The translations the package carries, in the builder's order; English is the stub's own.
    // A log carries them on, so that the uninstaller speaks what the install spoke.
    std::vector<TKoLanguage> Languages;
    // The tag of the language the run speaks ("de"; empty: English). The stub chooses it for an
    // install, and its log records it; the package itself has none.
    std::string Language;

    // What the load found besides the fields, for the builder's checks.
    uint32_t DataOffset = 0; // the pointer at 136
    bool DataFound = false;  // the magic was there
    bool HasCodePage = false;
    // Just behind the top-level end record; -1 when the data ends before one.
    int64_t RecordsEnd = -1;

protected:
    std::unique_ptr<TStream> FFile;

    // Seeks to where the pointer at 136 points and reads the magic there into DataFound.
    void OpenData(class TTagStreamAdapter& reader, uint32_t magic);
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
    // cleared without an error; a cut-off package keeps what was read before the cut. A record
    // this format's first readers did not know is read only when it has the type written here:
    // any other is skipped by its type, as those readers skip it. The records are checked
    // against their digest on the way (RecordsDamaged), but loaded all the same.
    void LoadFromStream(TStream& stream) override;

    TKoInstallFile& AddFile();
    TKoInstallExec& AddExec();

    void DecodeTexts(const TTextCodec& codec) override;

    // The uninstall log: magic, code page, identity, banner, the language the run speaks and the
    // translations (without their documents), then one record per entry, in order. Without Codec
    // the texts are written as they are, with the package's code page; with it they are UTF-8
    // (DecodeTexts) and are written in the package's code page (the system's when it records none),
    // and an entry that code page cannot hold is followed by its UTF-8 record.
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
    uint8_t Key[format::KeySize] = {};
    // The byte count the key record claims, when there is one; the key is read as KeySize bytes
    // whatever it claims.
    std::optional<int64_t> KeyCount;
    // The digest of the records as the package's first record stores it; unset when that is
    // no digest record of our type and length.
    std::optional<TDigest> RecordsDigest;
    // The records are not those their digest was taken of (a byte changed, the records cut
    // short, a second, misplaced or misshapen digest record), or there is no digest to check
    // them against (an older builder's package, or a digest record damaged). What acts on the
    // data refuses it; listing shows it all the same.
    bool RecordsDamaged = false;
};

class TKoUninstall : public TKoData {
public:
    void Clear() override;
    // Finds the log through the pointer at offset 136 and reads it.
    void LoadFromStream(TStream& stream) override;

    // Reads the magic and the records from the stream's position; no "KOVU" leaves the data
    // cleared without an error. An entry with a UTF-8 record holds that UTF-8 path. The code
    // page, UTF-8, language and translation records are read only with the type written here, as
    // the package's own.
    void ReadUninstallLog(TStream& stream);
    // Entries that came with a UTF-8 record keep it; afterwards every entry is UTF-8.
    void DecodeTexts(const TTextCodec& codec) override;

    // The entries in log order.
    std::vector<TLogEntry> Entries;
    // The same by kind, as the uninstall removes them; an install adds to them.
    std::vector<std::string> FileList;
    std::vector<std::string> FolderList;

private:
    void ReadRecords(class TTagStreamAdapter& reader);
};

} // namespace ko
