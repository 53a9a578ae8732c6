#include "package/ko_data.h"

#include "base/errors.h"
#include "base/file_stream.h"
#include "package/format.h"
#include "package/language_records.h"
#include "package/records_digest.h"
#include "package/scramble.h"
#include "package/tag_stream.h"

#include <cstring>

namespace ko {

using namespace format;

// ---- TKoData --------------------------------------------------------------------------------

void TKoData::Clear() {
    Banner = TJpegPicture();
    CodePage = 0;
    ProductName.clear();
    VersionMajor = 1;
    VersionMinor = 0;
    Build = 0;
    Release = 0;
    Publisher.clear();
    Website.clear();
    Address.clear();
    ContactName.clear();
    ContactEmail.clear();
    Languages.clear();
    Language.clear();
    DataOffset = 0;
    DataFound = false;
    HasCodePage = false;
    RecordsEnd = -1;
}

void TKoData::LoadFromFile(const std::string& name) {
    auto file = std::make_unique<TFileStream>(name, TFileMode::OpenReadLocked);
    TFileStream& stream = *file;
    try {
        LoadFromStream(stream);
    } catch (const EFOpenError&) {
        throw;
    } catch (const EDamagedData& e) {
        throw EKoError(name + " is damaged: " + e.what());
    } catch (const EKoError& e) {
        throw EKoError(name + ": " + e.what());
    } catch (const std::exception&) {
        // Counts are checked against the file size, so only memory running out gets here (a
        // bad_alloc or a length_error); the library's own text would tell the user nothing.
        throw EKoError(name + " is damaged: it holds more records than fit in memory");
    }
    FileName = name;
    FFile = std::move(file);
}

TStream& TKoData::File() const {
    if (!FFile)
        throw EFOpenError("No package file is loaded.");
    return *FFile;
}

std::string TKoData::Decoded(const TTextCodec& codec, const std::string& text) const {
    if (std::optional<std::string> utf8 = codec.Decode(text, CodePage))
        return std::move(*utf8);
    throw EKoError("the texts are in code page " + std::to_string(CodePage) +
                   ", which this system does not know");
}

void TKoData::DecodeTexts(const TTextCodec& codec) {
    for (std::string* text :
         {&ProductName, &Publisher, &Website, &Address, &ContactName, &ContactEmail})
        *text = Decoded(codec, *text);
}

void TKoData::ReadBanner(TTagStreamAdapter& reader) {
    Banner = TJpegPicture();
    // A count of 0 or less cannot come from a conforming writer: only this record is lost and
    // the stream stays just behind the count, in step with the records that follow.
    const int32_t count = static_cast<int32_t>(ReadLE32(reader.Stream));
    if (count <= 0)
        return;
    if (count > reader.Stream.Remaining()) {
        reader.Stream.Seek(0, TSeekOrigin::End);
        return;
    }
    try {
        Banner.LoadFromBytes(reader.ReadBytes(count));
    } catch (const EJpegError&) {
        // A picture the decoder cannot show leaves the banner area black; it is no reason to
        // refuse the whole installer.
    }
}

void TKoData::OpenData(TTagStreamAdapter& reader, uint32_t magic) {
    reader.Stream.Seek(PackageOffsetPos, TSeekOrigin::Beginning);
    DataOffset = ReadLE32(reader.Stream);
    reader.Stream.Seek(DataOffset, TSeekOrigin::Beginning);
    DataFound = reader.ReadMagic(magic);
}

namespace {

uint64_t SetLow(uint64_t value, int32_t low) {
    return (value & 0xFFFFFFFF00000000ull) | uint32_t(low);
}

uint64_t SetHigh(uint64_t value, int32_t high) {
    return (value & 0xFFFFFFFFull) | uint64_t(uint32_t(high)) << 32;
}

// A digest record of another type or length is not one this reader wrote: it is skipped, and the
// item installs unchecked as from a package without the record.
void ReadDigest(TTagStreamAdapter& reader, bool& has, TDigest& digest) {
    if (reader.TagType != ttData) {
        reader.SkipValue();
        return;
    }
    const int64_t count = reader.ReadCount();
    if (count != DigestSize) {
        if (count > 0)
            reader.Stream.Seek(count, TSeekOrigin::Current);
        return;
    }
    has = reader.Stream.ReadFully(digest.data(), DigestSize) == DigestSize;
}

void ReadFileRecord(TTagStreamAdapter& reader, TKoInstallFile& file) {
    while (reader.ReadTag()) {
        switch (reader.Tag) {
        case ftPath:
            file.Path = DecodeString(reader.ReadString());
            break;
        case ftShortcutName:
            file.ShortcutName = DecodeString(reader.ReadString());
            break;
        case ftCreationLow:
            file.CreationTime = SetLow(file.CreationTime, reader.ReadInteger());
            break;
        case ftCreationHigh:
            file.CreationTime = SetHigh(file.CreationTime, reader.ReadInteger());
            break;
        case ftLastWriteLow:
            file.LastWriteTime = SetLow(file.LastWriteTime, reader.ReadInteger());
            break;
        case ftLastWriteHigh:
            file.LastWriteTime = SetHigh(file.LastWriteTime, reader.ReadInteger());
            break;
        case ftSize:
            file.Size = reader.ReadInteger();
            break;
        case ftOffset:
            file.Offset = reader.ReadInteger();
            break;
        case ftCheckNewer:
            file.CheckNewer = reader.ReadByte();
            break;
        case ftNoUninstall:
            file.NoUninstall = reader.ReadByte();
            break;
        case ftDigest:
            ReadDigest(reader, file.HasDigest, file.Digest);
            break;
        default:
            reader.SkipValue();
        }
    }
}

void ReadExecRecord(TTagStreamAdapter& reader, TKoInstallExec& exec) {
    while (reader.ReadTag()) {
        switch (reader.Tag) {
        case etExternal:
            exec.External = reader.ReadByte();
            break;
        case etPath:
            exec.Path = DecodeString(reader.ReadString());
            break;
        case etTitle:
            exec.Title = DecodeString(reader.ReadString());
            break;
        case etParameters:
            exec.Parameters = DecodeString(reader.ReadString());
            break;
        case etStage:
            exec.Stage = static_cast<uint8_t>(reader.ReadInteger());
            break;
        case etCreationLow:
            exec.CreationTime = SetLow(exec.CreationTime, reader.ReadInteger());
            break;
        case etCreationHigh:
            exec.CreationTime = SetHigh(exec.CreationTime, reader.ReadInteger());
            break;
        case etLastWriteLow:
            exec.LastWriteTime = SetLow(exec.LastWriteTime, reader.ReadInteger());
            break;
        case etLastWriteHigh:
            exec.LastWriteTime = SetHigh(exec.LastWriteTime, reader.ReadInteger());
            break;
        case etSize:
            exec.Size = reader.ReadInteger();
            break;
        case etOffset:
            exec.Offset = reader.ReadInteger();
            break;
        case etDigest:
            ReadDigest(reader, exec.HasDigest, exec.Digest);
            break;
        default:
            reader.SkipValue();
        }
    }
}

// The string field of a header record, or null.
std::string* StringField(TKoInstall& data, int32_t tag) {
    switch (tag) {
    case ptProductName:
        return &data.ProductName;
    case ptPublisher:
        return &data.Publisher;
    case ptWebsite:
        return &data.Website;
    case ptAddress:
        return &data.Address;
    case ptContactName:
        return &data.ContactName;
    case ptContactEmail:
        return &data.ContactEmail;
    case ptLicenseText:
        return &data.LicenseText;
    case ptReadmeText:
        return &data.ReadmeText;
    case ptWhatsNewText:
        return &data.WhatsNewText;
    case ptExpertOptions:
        return &data.ExpertOptions;
    default:
        return nullptr;
    }
}

int32_t* IntegerField(TKoInstall& data, int32_t tag) {
    switch (tag) {
    case ptVersionMajor:
        return &data.VersionMajor;
    case ptVersionMinor:
        return &data.VersionMinor;
    case ptBuild:
        return &data.Build;
    case ptRelease:
        return &data.Release;
    default:
        return nullptr;
    }
}

// Reads the value of a records-digest record of our type into Digest, without digesting it. One
// that is not the first record, or one of another length, is no record a writer of this format
// makes: the records are damaged.
void ReadRecordsDigest(TTagStreamAdapter& reader, TRecordsDigestReader& digesting, bool first,
                       std::optional<TDigest>& digest, bool& damaged) {
    const int64_t count = reader.ReadCount();
    if (!first || count != DigestSize) {
        damaged = true;
        if (count > 0)
            reader.Stream.Seek(count, TSeekOrigin::Current);
        return;
    }
    TDigest value{};
    if (digesting.ReadExcluded(value.data(), DigestSize) == DigestSize)
        digest = value;
    else
        damaged = true;
}

} // namespace

// ---- TKoInstall -----------------------------------------------------------------------------

void TKoInstall::Clear() {
    TKoData::Clear();
    Files.clear();
    Execs.clear();
    ExpertOptions.clear();
    LicenseText.clear();
    ReadmeText.clear();
    WhatsNewText.clear();
    std::memset(Key, 0, sizeof Key);
    KeyCount.reset();
    RecordsDigest.reset();
    RecordsDamaged = false;
}

TKoInstallFile& TKoInstall::AddFile() {
    return *Files.emplace_back(std::make_unique<TKoInstallFile>());
}

TKoInstallExec& TKoInstall::AddExec() {
    return *Execs.emplace_back(std::make_unique<TKoInstallExec>());
}

void TKoInstall::LoadFromStream(TStream& stream) {
    Clear();
    TTagStreamAdapter pointer(stream);
    OpenData(pointer, MagicPackage);
    if (!DataFound)
        return;
    // The records are digested as they are read: the window shows no later for the check.
    TRecordsDigestReader digesting(stream);
    uint8_t magic[4];
    PutLE32(magic, MagicPackage);
    digesting.Digest(magic, sizeof magic);
    TTagStreamAdapter reader(digesting);
    for (bool first = true; reader.ReadTag(); first = false) {
        const int32_t tag = reader.Tag;
        if (tag == ptCodePage && reader.TagType == ttInteger) {
            CodePage = reader.ReadInteger();
            HasCodePage = true;
        } else if (std::string* field = StringField(*this, tag)) {
            *field = DecodeString(reader.ReadString());
        } else if (int32_t* number = IntegerField(*this, tag)) {
            *number = reader.ReadInteger();
        } else if (tag == ptKey) {
            // The key holds exactly KeySize bytes whatever count or type the record claims.
            const int64_t count = reader.ReadCount();
            KeyCount = count;
            uint8_t stored[KeySize] = {};
            const int64_t take = count < KeySize ? count : KeySize;
            if (take > 0)
                reader.Stream.ReadFully(stored, take);
            if (count > KeySize)
                reader.Stream.Seek(count - KeySize, TSeekOrigin::Current);
            for (int i = 0; i < KeySize; ++i)
                Key[i] = stored[i] ^ KeyMask;
        } else if (tag == ptBanner) {
            ReadBanner(reader);
        } else if (tag == ptFile) {
            ReadFileRecord(reader, AddFile());
        } else if (tag == ptExec) {
            ReadExecRecord(reader, AddExec());
        } else if (tag == ptLanguage && reader.TagType == ttList) {
            ReadLanguageList(reader, Languages);
        } else if (tag == ptRecordsDigest && reader.TagType == ttData) {
            ReadRecordsDigest(reader, digesting, first, RecordsDigest, RecordsDamaged);
        } else {
            reader.SkipValue();
        }
    }
    digesting.Release();
    if (!reader.StreamEnded)
        RecordsEnd = stream.Position();
    // Every package our builder writes starts with the digest, so one without it was changed on
    // its way: a changed byte in the record's id would otherwise turn the check off. Records cut
    // off before their end record were not all digested.
    if (!RecordsDigest || reader.StreamEnded || digesting.Finish() != RecordsDigest)
        RecordsDamaged = true;
}

void TKoInstall::DecodeTexts(const TTextCodec& codec) {
    TKoData::DecodeTexts(codec);
    for (auto& file : Files)
        for (std::string* text : {&file->Path, &file->ShortcutName})
            *text = Decoded(codec, *text);
    for (auto& exec : Execs)
        for (std::string* text : {&exec->Path, &exec->Title, &exec->Parameters})
            *text = Decoded(codec, *text);
    // The documents stay RTF, whose bytes the viewer reads in the package's code page.
}

} // namespace ko
