// The one definition of the package and uninstall-log formats, shared by the builder and the
// stub. Change nothing here without changing both: installers already shipped read only the
// values below.
//
//   Setup.exe                                  Uninstall.exe
//   +--------------------------+ 0             +--------------------------+ 0
//   | DOS header and stub      |               | the same first N bytes   |
//   |   136: PackageOffset = N |               |   136: N                 |
//   |   256: PE header         |               |                          |
//   | rest of the stub image   |               |                          |
//   +--------------------------+ N             +--------------------------+ N
//   | "KOVA" tag stream        |               | "KOVU" tag stream        |
//   |   records digest 0x4B44  |               |   15 code page           |
//   |   header records 1..19   |               |   identity 2..11         |
//   |   id 20 lists (files)    |               |   12 banner (JPEG)       |
//   |   id 21 lists (programs) |               |   13 folder / 14 file    |
//   |   (each with a SHA-256)  |               |   (16 its UTF-8 path)    |
//   |   end record             |               |   ... to the end of file |
//   +--------------------------+               +--------------------------+
//   | stored data, in record   |
//   | order, enciphered        |
//   +--------------------------+
//
// A tag stream record is a signed 32-bit id, a one-byte value type and the value; all numbers
// little-endian. Strings are stored scrambled (EncodeString), file data enciphered (CipherStream).
#pragma once

#include <cstdint>

namespace ko::format {

// Where the loader finds the offset of the appended package or log.
inline constexpr int64_t PackageOffsetPos = 136;
// Where the stub's PE header must start so that the bytes at 128..255 are loader-ignored padding.
inline constexpr uint32_t StubPeHeaderOffset = 256;
// The DOS header's end, and where in it the PE header's offset is kept.
inline constexpr int64_t DosHeaderEnd = 128;
inline constexpr int64_t NewHeaderPointer = 0x3C;
// Offsets and sizes are signed 32-bit numbers in the records, so nothing may end past 2 GiB.
inline constexpr int64_t MaxOffset = 0x7FFFFFFF;

inline constexpr uint32_t MagicPackage = 0x41564F4B;   // "KOVA"
inline constexpr uint32_t MagicUninstall = 0x55564F4B; // "KOVU"

// Value types of the tag stream.
enum TagType : uint8_t {
    ttList = 0,
    ttByte = 1,
    ttByte2 = 2,
    ttWord = 3,
    ttInteger = 4,
    ttDword = 5,
    ttQword = 6,
    ttString = 7,
    ttData = 8,
};
inline constexpr int32_t TagEnd = -1;

// Top level of the package.
enum PackageTag : int32_t {
    // The Windows code page the builder converted the texts to. The installer decodes every text
    // with it; a package without it is read in the system's own code page.
    ptCodePage = 1,
    ptProductName = 2,
    ptVersionMajor = 3,
    ptVersionMinor = 4,
    ptBuild = 5,
    ptRelease = 6,
    ptPublisher = 7,
    ptWebsite = 8,
    ptAddress = 9,
    ptContactName = 10,
    ptContactEmail = 11,
    ptLicenseText = 12,
    ptReadmeText = 13,
    ptWhatsNewText = 14,
    ptExpertOptions = 16,
    ptKey = 18,
    ptBanner = 19,
    ptFile = 20,
    ptExec = 21,
    // One list per translation of the wizard the package carries (LanguageTag inside). Its
    // texts are UTF-8 whatever the package's code page: a translation is in its own script.
    ptLanguage = 22,
    // The SHA-256 (DigestSize bytes, a data record) of every byte from the magic to the
    // top-level end record, both included, except this record's own value: its id, type and
    // count are digested, its 32 bytes are not. The builder writes it first, right behind the
    // magic, so that no damaged record can make a reader miss it, and fills it in once the
    // records behind it are written. Its id has two non-zero bytes: no one changed byte makes
    // it an id this format uses (all below 256), which would read the digest as, say, the
    // licence. Installers that predate it skip it; ours refuse a package that does not start
    // with it, since a Setup.exe always carries the package of the builder it came with.
    ptRecordsDigest = 0x4B44,
};

// Inside an id-20 list.
enum FileTag : int32_t {
    ftPath = 1,
    ftCreationLow = 2,
    ftCreationHigh = 3,
    ftLastWriteLow = 4,
    ftLastWriteHigh = 5,
    ftShortcutName = 6,
    ftSize = 7,
    ftOffset = 8,
    ftCheckNewer = 9,
    ftNoUninstall = 10,
    // The SHA-256 of the content (32 bytes, a data record). Installers that predate it skip it;
    // a package without it installs unchecked.
    ftDigest = 11,
};

// Inside an id-21 list.
enum ExecTag : int32_t {
    etExternal = 1,
    etPath = 2,
    etTitle = 3,
    etParameters = 4,
    etStage = 5,
    etCreationLow = 6,
    etCreationHigh = 7,
    etLastWriteLow = 8,
    etLastWriteHigh = 9,
    etSize = 10,
    etOffset = 11,
    // As ftDigest, for a stored program.
    etDigest = 12,
};

// Inside an id-22 list: the tag ("de"), the name in the language itself, then the texts as
// key and value pairs (each key record followed by its value record), then the documents in that
// language, each only when the vendor gave one. All strings.
enum LanguageTag : int32_t {
    lgTag = 1,
    lgName = 2,
    lgKey = 3,
    lgValue = 4,
    lgLicenseText = 5,
    lgReadmeText = 6,
    lgWhatsNewText = 7,
};

// Top level of the uninstall log; its numbers are its own.
enum LogTag : int32_t {
    ltProductName = 2,
    ltVersionMajor = 3,
    ltVersionMinor = 4,
    ltBuild = 5,
    ltRelease = 6,
    ltPublisher = 7,
    ltWebsite = 8,
    ltAddress = 9,
    ltContactName = 10,
    ltContactEmail = 11,
    ltBanner = 12,
    ltFolder = 13,
    ltFile = 14,
    // The code page of the log's texts, before them all; a log without it was written in the
    // system's code page of its install.
    ltCodePage = 15,
    // The path of the folder or file record just before it, in UTF-8: written when the log's
    // code page cannot hold that path, whose own record then has "?" for what is missing.
    // Readers that predate it skip it.
    ltUtf8Path = 16,
    // The tag of the language the install spoke ("de"), which the uninstaller speaks too, and
    // the translations the package carried (id-22 lists as in the package). Readers that
    // predate them skip them.
    ltLanguage = 17,
    ltLanguages = 22,
};

// The scrambling alphabet: 64 digits, then the padding character at index 64.
inline constexpr char ScrambleAlphabet[] =
    "lcDwKhHgR5kCGJQr0sd1TNV3Zx9XAeWqFEypY-iBzmaoOUI_6uLM2bf4.vP8jS7nt";
static_assert(sizeof(ScrambleAlphabet) == 66, "64 digits, the padding character and the NUL");

// Each stored key byte is the key byte XOR this mask.
inline constexpr uint8_t KeyMask = 0xA7;

inline constexpr int KeySize = 16;
inline constexpr int DigestSize = 32;
inline constexpr int CipherBlock = 16;

// The enciphered length of a content of Length bytes: whole blocks plus one final block that
// carries the count of the remaining bytes.
inline constexpr int64_t StoredSize(int64_t length) {
    return (length / CipherBlock + 1) * CipherBlock;
}

} // namespace ko::format
