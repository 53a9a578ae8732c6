#include "package/uninstall_log.h"

#include "base/file_stream.h"
#include "package/format.h"
#include "package/ko_data.h"
#include "package/language_records.h"
#include "package/scramble.h"
#include "package/tag_stream.h"

namespace ko {

using namespace format;

// ---- Writing: TKoInstall -------------------------------------------------------------------

void TKoInstall::WriteUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries,
                                   const TTextCodec* codec) const {
    const int32_t codePage = codec && CodePage == 0 ? codec->SystemCodePage : CodePage;
    // A text of the package: its code page holds it, so the lossy form is only a safeguard.
    auto stored = [&](const std::string& text) {
        return EncodeString(codec ? EncodeLossy(*codec, text, codePage) : text);
    };
    TTagStreamAdapter writer(stream);
    writer.WriteMagic(MagicUninstall);
    if (codePage != 0)
        writer.WriteInteger(ltCodePage, codePage);
    writer.WriteString(ltProductName, stored(ProductName));
    writer.WriteInteger(ltVersionMajor, VersionMajor);
    writer.WriteInteger(ltVersionMinor, VersionMinor);
    writer.WriteInteger(ltBuild, Build);
    writer.WriteInteger(ltRelease, Release);
    writer.WriteString(ltPublisher, stored(Publisher));
    writer.WriteString(ltWebsite, stored(Website));
    writer.WriteString(ltAddress, stored(Address));
    writer.WriteString(ltContactName, stored(ContactName));
    writer.WriteString(ltContactEmail, stored(ContactEmail));
    if (!Banner.Empty()) {
        TMemoryStream picture;
        Banner.SaveToStream(picture);
        picture.SetPosition(0);
        writer.WriteStream(ltBanner, picture, picture.Size());
    }
    // UTF-8 whatever the log's code page, as in the package.
    if (!Language.empty())
        writer.WriteString(ltLanguage, EncodeString(Language));
    for (const TKoLanguage& language : Languages)
        WriteLanguageList(writer, ltLanguages, language, false);
    for (const TUninstallEntry& entry : entries) {
        const std::optional<std::string> bytes =
            codec ? codec->Encode(entry.Path, codePage) : entry.Path;
        writer.WriteString(
            entry.Folder ? ltFolder : ltFile,
            EncodeString(bytes ? *bytes : EncodeLossy(*codec, entry.Path, codePage)));
        // A user's folder may be named in any script: the uninstall must find it all the same.
        if (!bytes)
            writer.WriteString(ltUtf8Path, EncodeString(entry.Path));
    }
}

void TKoInstall::AppendUninstallLog(TStream& stream, const std::vector<TUninstallEntry>& entries,
                                    const TTextCodec* codec) const {
    const int64_t position = stream.Position();
    WriteUninstallLog(stream, entries, codec);
    stream.Seek(PackageOffsetPos, TSeekOrigin::Beginning);
    WriteLE32(stream, static_cast<uint32_t>(position));
}

// ---- Reading: TKoUninstall ----------------------------------------------------------------

namespace {

std::string* StringField(TKoData& data, int32_t tag) {
    switch (tag) {
    case ltProductName:
        return &data.ProductName;
    case ltPublisher:
        return &data.Publisher;
    case ltWebsite:
        return &data.Website;
    case ltAddress:
        return &data.Address;
    case ltContactName:
        return &data.ContactName;
    case ltContactEmail:
        return &data.ContactEmail;
    default:
        return nullptr;
    }
}

int32_t* IntegerField(TKoData& data, int32_t tag) {
    switch (tag) {
    case ltVersionMajor:
        return &data.VersionMajor;
    case ltVersionMinor:
        return &data.VersionMinor;
    case ltBuild:
        return &data.Build;
    case ltRelease:
        return &data.Release;
    default:
        return nullptr;
    }
}

} // namespace

void TKoUninstall::Clear() {
    TKoData::Clear();
    Entries.clear();
    FileList.clear();
    FolderList.clear();
}

void TKoUninstall::LoadFromStream(TStream& stream) {
    Clear();
    TTagStreamAdapter reader(stream);
    OpenData(reader, MagicUninstall);
    ReadRecords(reader);
}

void TKoUninstall::ReadUninstallLog(TStream& stream) {
    TTagStreamAdapter reader(stream);
    DataFound = reader.ReadMagic(MagicUninstall);
    ReadRecords(reader);
}

void TKoUninstall::ReadRecords(TTagStreamAdapter& reader) {
    if (!DataFound)
        return;
    // Whether the record just read was an entry, which a UTF-8 record may then amend: one
    // anywhere else (behind another record, or a second one) belongs to no entry.
    bool amendable = false;
    while (reader.ReadTag()) {
        const int32_t tag = reader.Tag;
        const bool followsEntry = amendable;
        amendable = false;
        if (tag == ltCodePage && reader.TagType == ttInteger) {
            CodePage = reader.ReadInteger();
            HasCodePage = true;
        } else if (std::string* field = StringField(*this, tag)) {
            *field = DecodeString(reader.ReadString());
        } else if (int32_t* number = IntegerField(*this, tag)) {
            *number = reader.ReadInteger();
        } else if (tag == ltBanner) {
            ReadBanner(reader);
        } else if (tag == ltLanguage && reader.TagType == ttString) {
            Language = DecodeString(reader.ReadString());
        } else if (tag == ltLanguages && reader.TagType == ttList) {
            ReadLanguageList(reader, Languages);
        } else if (tag == ltFolder || tag == ltFile) {
            const bool folder = tag == ltFolder;
            Entries.push_back({DecodeString(reader.ReadString()), folder, false});
            (folder ? FolderList : FileList).push_back(Entries.back().Path);
            amendable = true;
        } else if (tag == ltUtf8Path && reader.TagType == ttString && followsEntry) {
            TLogEntry& entry = Entries.back();
            entry.Path = DecodeString(reader.ReadString());
            entry.Utf8 = true;
            (entry.Folder ? FolderList : FileList).back() = entry.Path;
        } else {
            reader.SkipValue();
        }
    }
    if (!reader.StreamEnded)
        RecordsEnd = reader.Stream.Position();
}

void TKoUninstall::DecodeTexts(const TTextCodec& codec) {
    TKoData::DecodeTexts(codec);
    size_t files = 0, folders = 0;
    for (TLogEntry& entry : Entries) {
        std::string& listed = entry.Folder ? FolderList.at(folders++) : FileList.at(files++);
        if (!entry.Utf8)
            entry.Path = Decoded(codec, entry.Path);
        entry.Utf8 = true;
        listed = entry.Path;
    }
}

} // namespace ko
