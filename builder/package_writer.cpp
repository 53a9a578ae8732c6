#include "builder/package_writer.h"

#include "base/file_stream.h"
#include "builder/build_error.h"
#include "builder/digest.h"
#include "builder/output_file.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/package_writer.h"

#include <algorithm>
#include <cstring>

namespace ko {

using namespace format;

namespace {

// Fills Install with the records of the package as the installer will load them; the stored
// data will start at DataStart.
void FillPackage(TKoInstall& install, const TPackageContent& c, int64_t dataStart,
                 const std::vector<TDigest>& digests) {
    install.CodePage = c.CodePage;
    install.ProductName = c.ProductName;
    install.VersionMajor = c.VersionMajor;
    install.VersionMinor = c.VersionMinor;
    install.Build = c.Build;
    install.Release = c.Release;
    install.Publisher = c.Publisher;
    install.Website = c.Website;
    install.Address = c.Address;
    install.ContactName = c.ContactName;
    install.ContactEmail = c.ContactEmail;
    install.LicenseText = c.LicenseText;
    install.ReadmeText = c.ReadmeText;
    install.WhatsNewText = c.WhatsNewText;
    install.ExpertOptions = c.ExpertOptions;
    std::copy(c.Key.begin(), c.Key.end(), install.Key);
    install.Banner.LoadFromBytes(c.Banner);
    install.Languages = c.Languages;
    int64_t offset = dataStart;
    size_t item = 0;
    // Missing digests are zeros, of the same length.
    const auto store = [&](TStoredItem& stored, const TStoredSource& source) {
        stored.Size = static_cast<int32_t>(StoredSize(source.Length));
        stored.Offset = static_cast<int32_t>(offset);
        stored.CreationTime = source.Times.Creation;
        stored.LastWriteTime = source.Times.LastWrite;
        stored.HasDigest = item < digests.size();
        stored.Digest = stored.HasDigest ? digests[item] : TDigest{};
        ++item;
        offset += StoredSize(source.Length);
    };
    for (const TPackageFile& file : c.Files) {
        TKoInstallFile& record = install.AddFile();
        record.Path = file.Path;
        record.ShortcutName = file.ShortcutName;
        record.CheckNewer = file.CheckNewer ? 1 : 0;
        record.NoUninstall = file.NoUninstall ? 1 : 0;
        store(record, file.Data);
    }
    for (const TPackageExec& exec : c.Execs) {
        TKoInstallExec& record = install.AddExec();
        record.External = exec.External ? 1 : 0;
        record.Path = exec.Path;
        record.Title = exec.Title;
        record.Parameters = exec.Parameters;
        record.Stage = exec.Stage;
        if (!exec.External)
            store(record, exec.Data);
    }
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
    TKoInstall install;
    FillPackage(install, content, dataStart, digests);
    WritePackage(output, install);
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
