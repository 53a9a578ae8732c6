#include "builder/package_writer.h"

#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/digest.h"
#include "builder/output_file.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/scramble.h"
#include "package/tag_stream.h"

#include <algorithm>
#include <cstring>

namespace ko {

using namespace format;

namespace {

// Offsets and sizes are signed 32-bit numbers in the records, so nothing may end past 2 GiB.
constexpr int64_t MaxOffset = 0x7FFFFFFF;
constexpr int64_t DosHeaderEnd = 128;
constexpr int64_t NewHeaderPointer = 0x3C;

void WriteText(TTagStreamAdapter& writer, int32_t tag, const std::string& text) {
    writer.WriteString(tag, EncodeString(text));
}

void WriteBytes(TTagStreamAdapter& writer, int32_t tag, std::vector<uint8_t> bytes) {
    TMemoryStream source(std::move(bytes));
    writer.WriteStream(tag, source, source.Size());
}

void WriteTime(TTagStreamAdapter& writer, int32_t lowTag, uint64_t time) {
    writer.WriteInteger(lowTag, static_cast<int32_t>(static_cast<uint32_t>(time)));
    writer.WriteInteger(lowTag + 1, static_cast<int32_t>(static_cast<uint32_t>(time >> 32)));
}

void WriteHeader(TTagStreamAdapter& writer, const TPackageContent& c) {
    writer.WriteInteger(ptCodePage, c.CodePage);
    WriteText(writer, ptProductName, c.ProductName);
    writer.WriteInteger(ptVersionMajor, c.VersionMajor);
    writer.WriteInteger(ptVersionMinor, c.VersionMinor);
    writer.WriteInteger(ptBuild, c.Build);
    writer.WriteInteger(ptRelease, c.Release);
    WriteText(writer, ptPublisher, c.Publisher);
    WriteText(writer, ptWebsite, c.Website);
    WriteText(writer, ptAddress, c.Address);
    WriteText(writer, ptContactName, c.ContactName);
    WriteText(writer, ptContactEmail, c.ContactEmail);
    WriteText(writer, ptLicenseText, c.LicenseText);
    WriteText(writer, ptReadmeText, c.ReadmeText);
    WriteText(writer, ptWhatsNewText, c.WhatsNewText);
    WriteText(writer, ptExpertOptions, c.ExpertOptions);
    std::vector<uint8_t> masked(c.Key.begin(), c.Key.end());
    for (uint8_t& byte : masked)
        byte ^= KeyMask;
    WriteBytes(writer, ptKey, std::move(masked));
    if (!c.Banner.empty())
        WriteBytes(writer, ptBanner, c.Banner);
}

void WriteDigest(TTagStreamAdapter& writer, int32_t tag, const TDigest& digest) {
    WriteBytes(writer, tag, std::vector<uint8_t>(digest.begin(), digest.end()));
}

void WriteFile(TTagStreamAdapter& writer, const TPackageFile& file, int64_t offset,
               const TDigest& digest) {
    writer.WriteTag(ptFile, ttList);
    WriteText(writer, ftPath, file.Path);
    WriteTime(writer, ftCreationLow, file.Data.Times.Creation);
    WriteTime(writer, ftLastWriteLow, file.Data.Times.LastWrite);
    WriteText(writer, ftShortcutName, file.ShortcutName);
    writer.WriteInteger(ftSize, static_cast<int32_t>(StoredSize(file.Data.Length)));
    writer.WriteInteger(ftOffset, static_cast<int32_t>(offset));
    writer.WriteByte(ftCheckNewer, file.CheckNewer ? 1 : 0);
    writer.WriteByte(ftNoUninstall, file.NoUninstall ? 1 : 0);
    WriteDigest(writer, ftDigest, digest);
    writer.WriteTag(TagEnd, 0);
}

void WriteExec(TTagStreamAdapter& writer, const TPackageExec& exec, int64_t offset,
               const TDigest& digest) {
    writer.WriteTag(ptExec, ttList);
    writer.WriteByte(etExternal, exec.External ? 1 : 0);
    WriteText(writer, etPath, exec.Path);
    WriteText(writer, etTitle, exec.Title);
    WriteText(writer, etParameters, exec.Parameters);
    writer.WriteInteger(etStage, exec.Stage);
    if (!exec.External) {
        WriteTime(writer, etCreationLow, exec.Data.Times.Creation);
        WriteTime(writer, etLastWriteLow, exec.Data.Times.LastWrite);
        writer.WriteInteger(etSize, static_cast<int32_t>(StoredSize(exec.Data.Length)));
        writer.WriteInteger(etOffset, static_cast<int32_t>(offset));
        WriteDigest(writer, etDigest, digest);
    }
    writer.WriteTag(TagEnd, 0);
}

int64_t TotalStoredBytes(const TPackageContent& content) {
    int64_t total = 0;
    for (const TStoredSource* item : StoredItems(content))
        total += StoredSize(item->Length);
    return total;
}

// Passes writes through to Output and tells Written how far they got, once every Step bytes:
// a large file reports progress while it is enciphered.
class TProgressStream : public TStream {
public:
    static constexpr int64_t Step = 1 << 20;

    TProgressStream(TStream& output, std::function<void(int64_t)> written)
        : FOutput(output), FWritten(std::move(written)) {}

    int64_t Read(void* buffer, int64_t count) override { return FOutput.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t n = FOutput.Write(buffer, count);
        FCount += n;
        if (FCount - FReported >= Step) {
            FReported = FCount;
            FWritten(FCount);
        }
        return n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return FOutput.Seek(offset, origin);
    }

private:
    TStream& FOutput;
    std::function<void(int64_t)> FWritten;
    int64_t FCount = 0;
    int64_t FReported = 0;
};

// Reads the source on to the cipher and digests what it reads.
class TDigestingReader : public TStream {
public:
    explicit TDigestingReader(TStream& input) : FInput(input) {}

    int64_t Read(void* buffer, int64_t count) override {
        const int64_t n = FInput.Read(buffer, count);
        if (n > 0)
            FSha.Update(buffer, static_cast<size_t>(n));
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return FInput.Seek(offset, origin);
    }
    TDigest Finish() { return FSha.Finish(); }

private:
    TStream& FInput;
    TSha256 FSha;
};

// Enciphers one source into Output and returns the digest of what it read, so that the record
// describes exactly the bytes stored; the source must still have the length it was measured
// at, or the offsets already written would be wrong.
TDigest WriteStoredData(TStream& output, const TStoredSource& item, const uint8_t* key) {
    const std::string name = PathToUtf8(item.Source);
    TFileStream file(NativeName(item.Source), TFileMode::OpenRead);
    if (file.Size() != item.Length)
        throw EBuildError("Source file \"" + name + "\" changed while the package was built");
    TDigestingReader input(file);
    const int64_t start = output.Position();
    try {
        CipherStream(input, output, key, KeySize, true);
    } catch (const ECipherException&) {
        throw EBuildError("Source file \"" + name + "\" ended early while it was read");
    }
    if (output.Position() - start != StoredSize(item.Length))
        throw EBuildError("Source file \"" + name + "\" changed while the package was built");
    return input.Finish();
}

} // namespace

std::vector<uint8_t> ReadStub(const std::filesystem::path& path) {
    TFileStream stream(NativeName(path), TFileMode::OpenRead);
    const int64_t size = stream.Size();
    if (size > MaxOffset)
        throw EBuildError("Stub \"" + PathToUtf8(path) + "\" is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    return bytes;
}

void CheckStub(const std::vector<uint8_t>& stub, const std::string& name) {
    const auto fail = [&](const std::string& why) {
        throw EBuildError("Stub \"" + name + "\" cannot carry a package: " + why);
    };
    if (stub.size() < StubPeHeaderOffset + 4 || stub[0] != 'M' || stub[1] != 'Z')
        fail("it is not a Windows program");
    const uint32_t peOffset = GetLE32(stub.data() + NewHeaderPointer);
    if (peOffset != StubPeHeaderOffset)
        fail("its PE header is at offset " + std::to_string(peOffset) + ", not at " +
             std::to_string(StubPeHeaderOffset));
    if (std::memcmp(stub.data() + StubPeHeaderOffset, "PE\0\0", 4) != 0)
        fail("there is no PE signature at offset " + std::to_string(StubPeHeaderOffset));
    for (int64_t i = DosHeaderEnd; i < StubPeHeaderOffset; ++i)
        if (stub[static_cast<size_t>(i)] != 0)
            fail("byte " + std::to_string(i) +
                 " is not zero (bytes 128 to 255 must be; is it "
                 "a Setup.exe already?)");
}

void WritePackageRecords(TStream& output, const TPackageContent& content, int64_t dataStart,
                         const std::vector<TDigest>& digests) {
    TTagStreamAdapter writer(output);
    writer.WriteMagic(MagicPackage);
    WriteHeader(writer, content);
    int64_t offset = dataStart;
    size_t item = 0;
    const auto digest = [&] { return item < digests.size() ? digests[item++] : TDigest{}; };
    for (const TPackageFile& file : content.Files) {
        WriteFile(writer, file, offset, digest());
        offset += StoredSize(file.Data.Length);
    }
    for (const TPackageExec& exec : content.Execs) {
        if (exec.External) {
            WriteExec(writer, exec, offset, {});
            continue;
        }
        WriteExec(writer, exec, offset, digest());
        offset += StoredSize(exec.Data.Length);
    }
    writer.WriteTag(TagEnd, 0);
}

void WriteSetup(TStream& output, std::vector<uint8_t> stub, const TPackageContent& content,
                const TBuildProgress& progress) {
    PutLE32(stub.data() + PackageOffsetPos, static_cast<uint32_t>(stub.size()));
    // The records' length depends neither on the offsets nor on the digests in them, so one
    // pass into memory measures where the data starts, a second writes the real offsets, and
    // once the data is written, whose digests are computed as it is read, a third writes the
    // digests over the second: every source is read once.
    TMemoryStream records;
    WritePackageRecords(records, content, 0, {});
    const int64_t dataStart = static_cast<int64_t>(stub.size()) + records.Size();
    const int64_t end = dataStart + TotalStoredBytes(content);
    if (end > MaxOffset)
        throw EBuildError("The package would end at byte " + std::to_string(end) +
                          "; offsets in the package are limited to 2 GiB");
    records.Clear();
    WritePackageRecords(records, content, dataStart, {});
    const int64_t recordsStart = output.Position() + static_cast<int64_t>(stub.size());
    output.WriteBuffer(stub.data(), static_cast<int64_t>(stub.size()));
    output.WriteBuffer(records.Data().data(), records.Size());
    int64_t done = 0;
    const int64_t total = TotalContentBytes(content);
    std::vector<TDigest> digests;
    for (const TStoredSource* item : StoredItems(content)) {
        if (!progress) {
            digests.push_back(WriteStoredData(output, *item, content.Key.data()));
            continue;
        }
        progress(item->Source, done, total);
        TProgressStream tracked(output, [&](int64_t written) {
            progress(item->Source, done + std::min(written, item->Length), total);
        });
        digests.push_back(WriteStoredData(tracked, *item, content.Key.data()));
        done += item->Length;
    }
    const int64_t dataEnd = output.Position();
    const int64_t length = records.Size();
    records.Clear();
    WritePackageRecords(records, content, dataStart, digests);
    if (records.Size() != length)
        throw EBuildError("The package records changed length when their digests were written");
    output.SetPosition(recordsStart);
    output.WriteBuffer(records.Data().data(), records.Size());
    output.SetPosition(dataEnd);
    if (progress)
        progress({}, total, total);
}

void BuildSetupFile(std::vector<uint8_t> stub, const std::string& stubName,
                    const TPackageContent& content, const std::filesystem::path& outputPath,
                    const TBuildProgress& progress, const TOutputFinisher& finish) {
    CheckStub(stub, stubName);
    WriteOutputFile(
        outputPath,
        [&](TStream& output) { WriteSetup(output, std::move(stub), content, progress); }, finish);
}

std::vector<const TStoredSource*> StoredItems(const TPackageContent& content) {
    std::vector<const TStoredSource*> items;
    for (const TPackageFile& file : content.Files)
        items.push_back(&file.Data);
    for (const TPackageExec& exec : content.Execs)
        if (!exec.External)
            items.push_back(&exec.Data);
    return items;
}

int64_t TotalContentBytes(const TPackageContent& content) {
    int64_t total = 0;
    for (const TStoredSource* item : StoredItems(content))
        total += item->Length;
    return total;
}

} // namespace ko
