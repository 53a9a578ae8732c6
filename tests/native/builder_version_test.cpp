#include "builder/embedded_stub.h"
#include "builder/manifest.h"
#include "builder/pe_resource.h"
#include "builder/version_resource.h"
#include "package/format.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

using namespace ko;
using kotest::ReadFile;
using kotest::Sample;
using kotest::TTempDir;

namespace {

std::map<std::string, std::string> StringsOf(const TVersionInfo& info) {
    return {info.Strings.begin(), info.Strings.end()};
}

std::vector<uint8_t> CarriedStub() {
    const TEmbeddedStub stub = EmbeddedStub();
    return {stub.Bytes, stub.Bytes + stub.Size};
}

TManifest ManifestOf(const std::string& product) {
    return ParseManifest("[product]\n" + product + "\n[documents]\nlicense = \"l.rtf\"\n",
                         "product.toml", ".");
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// The sample built with the stub kosetup carries: its version resource names the product, and
// it was written in place, so every other byte of the stub is as it was; a second build gives
// the same bytes. The listings show it.
TEST(BuilderVersion, SetupCarriesTheProductsVersionResourceInPlace) {
    const std::vector<uint8_t> stub = CarriedStub();
    ASSERT_GT(stub.size(), 0u) << "kosetup carries no stub; build the Windows tree first";
    const std::optional<TFileRange> reserve = FindResource(stub.data(), stub.size(), 16, 1);
    ASSERT_TRUE(reserve);
    EXPECT_EQ(reserve->Size, VersionResourceSize);

    TTempDir dir;
    const auto setup = dir / "Setup.exe";
    std::string out, err;
    ASSERT_EQ(kotest::RunKosetup({"build", (Sample / "product.toml").string(), "-o", setup.string(),
                                  "--key", "00112233445566778899aabbccddeeff"},
                                 out, err),
              0)
        << err;
    // The sample's two DLLs are unsigned, as a vendor's first build often is; they are the only
    // thing the build warns of.
    EXPECT_EQ(Occurrences(err, ": warning: "), 2u) << err;
    EXPECT_EQ(Occurrences(err, "\\SampleTrend.dll is not signed: "), 2u) << err;
    const std::vector<uint8_t> bytes = ReadFile(setup);
    ASSERT_EQ(kotest::RunKosetup({"build", (Sample / "product.toml").string(), "-o",
                                  (dir / "Again.exe").string(), "--key",
                                  "00112233445566778899aabbccddeeff"},
                                 out, err),
              0)
        << err;
    EXPECT_TRUE(ReadFile(dir / "Again.exe") == bytes);
    ASSERT_GT(bytes.size(), stub.size());
    for (size_t i = 0; i < stub.size(); ++i) {
        const bool pointer = i >= format::PackageOffsetPos && i < format::PackageOffsetPos + 4;
        const bool resource = i >= reserve->Offset && i < reserve->Offset + reserve->Size;
        if (!pointer && !resource && bytes[i] != stub[i])
            FAIL() << "byte " << i << " of the stub changed";
    }

    const std::optional<TVersionInfo> info = ReadVersionResource(bytes.data(), stub.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(std::vector<int32_t>(info->Version, info->Version + 4),
              std::vector<int32_t>({1, 2, 345, 2}));
    EXPECT_EQ(StringsOf(*info),
              (std::map<std::string, std::string>{
                  {"CompanyName", "Example Trading Tools Ltd."},
                  {"FileDescription", "Sample Trend EA Setup"},
                  {"FileVersion", "1.2.345.2"},
                  {"LegalCopyright", "Copyright (C) 2026 Example Trading Tools Ltd."},
                  {"ProductName", "Sample Trend EA"},
                  {"ProductVersion", "1.2.345.2"}}));

    ASSERT_EQ(kotest::RunKosetup({"list", setup.string()}, out, err), 0) << err;
    EXPECT_NE(out.find("Version info    1.2.345.2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  ProductName      \"Sample Trend EA\"\n"), std::string::npos) << out;
    ASSERT_EQ(kotest::RunKosetup({"list", "--json", setup.string()}, out, err), 0) << err;
    EXPECT_NE(out.find("\"file_description\": \"Sample Trend EA Setup\""), std::string::npos)
        << out;
    EXPECT_NE(out.find("\"legal_copyright\": "), std::string::npos) << out;
}

// Names with markup show their plain text; texts too long for the reserve are cut without
// splitting a character; the largest block still fits and reads back; a block cut anywhere
// reads as none rather than past its end.
TEST(BuilderVersion, EveryManifestFitsTheReserveAndReadsBack) {
    const TVersionInfo marked = VersionInfoOf(ManifestOf(
        "name = \"Trend <b>Pro</b><br>EA\"\npublisher = \"Caf\xC3\xA9\"\nversion_major = 70000"));
    EXPECT_EQ(StringsOf(marked).at("ProductName"), "Trend Pro EA");
    EXPECT_EQ(StringsOf(marked).at("FileDescription"), "Trend Pro EA Setup");
    EXPECT_EQ(StringsOf(marked).at("CompanyName"), "Caf\xC3\xA9");
    EXPECT_EQ(StringsOf(marked).count("LegalCopyright"), 0u);
    EXPECT_EQ(StringsOf(marked).at("FileVersion"), "70000.0.0.0");

    // U+1F600 takes two UTF-16 units: 300 of them would end in half a character at the limit.
    std::string emoji;
    for (int i = 0; i < 300; ++i)
        emoji += "\xF0\x9F\x98\x80";
    const std::string big = "\"" + emoji + "\"";
    const TVersionInfo largest =
        VersionInfoOf(ManifestOf("name = " + big + "\npublisher = " + big + "\ncopyright = " + big +
                                 "\nversion_major = 2147483647\nversion_minor = 2147483647\n"
                                 "build = 2147483647\nrelease = 2147483647"));
    const std::vector<uint8_t> block = EncodeVersionInfo(largest);
    EXPECT_LE(block.size(), VersionResourceSize);
    const std::optional<TVersionInfo> back = DecodeVersionInfo(block.data(), block.size());
    ASSERT_TRUE(back);
    const std::string name = StringsOf(*back).at("ProductName");
    EXPECT_EQ(name.size(), size_t(VersionTextLimit / 2) * 4);
    EXPECT_EQ(name, emoji.substr(0, name.size()));
    EXPECT_EQ(StringsOf(*back).at("FileVersion"), "2147483647.2147483647.2147483647.2147483647");

    for (size_t size = 0; size < block.size(); ++size)
        EXPECT_FALSE(DecodeVersionInfo(block.data(), size)) << size;
}

// A program without the reserve is not written into.
TEST(BuilderVersion, ProgramWithoutReserveIsLeftAlone) {
    std::vector<uint8_t> fake = kotest::FakeCleanStub();
    const std::vector<uint8_t> before = fake;
    EXPECT_FALSE(WriteVersionResource(fake, VersionInfoOf(ManifestOf("name = \"X\""))));
    EXPECT_EQ(fake, before);
    // A file cut inside the resource: its directory points past the end.
    std::vector<uint8_t> stub = CarriedStub();
    const std::optional<TFileRange> reserve = FindResource(stub.data(), stub.size(), 16, 1);
    ASSERT_TRUE(reserve);
    stub.resize(reserve->Offset + 100);
    EXPECT_FALSE(ReadVersionResource(stub.data(), stub.size()));
}
