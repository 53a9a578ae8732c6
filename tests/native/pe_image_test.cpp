#include "package/pe_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

std::optional<TPeModule> Read(std::vector<uint8_t> bytes) {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    return ReadPeModule(stream);
}

} // namespace

// The sample's library, built by MinGW for each platform: the machine, the DLL flag and the one
// DLL it imports, through PE32 and PE32+ headers alike.
TEST(PeImage, ReadsMachineAndImportsOfBothBitnesses) {
    const struct {
        const char* Path;
        uint16_t Machine;
    } dlls[] = {{"files/MQL4/Libraries/SampleTrend.dll", PeMachineI386},
                {"files/MQL5/Libraries/SampleTrend.dll", PeMachineAmd64}};
    for (const auto& dll : dlls) {
        const std::optional<TPeModule> module = Read(kotest::ReadFile(kotest::Sample / dll.Path));
        ASSERT_TRUE(module) << dll.Path;
        EXPECT_EQ(module->Machine, dll.Machine);
        EXPECT_TRUE(module->Dll);
        EXPECT_EQ(module->Imports, std::vector<std::string>{"KERNEL32.dll"}) << dll.Path;
    }
    // The stub itself is a program, no DLL; text is no image at all.
    EXPECT_FALSE(Read(kotest::FakeStub())->Dll);
    EXPECT_FALSE(Read({'M', 'Z', 0, 0}));
}

// Cut short anywhere, a DLL gives what the bytes it still has hold, and never more: no image
// before its headers are whole, then the machine and kind with no imports until the section
// table is whole, then each imported name once its closing NUL is there, in order. The checksum
// and security fields are found once the security entry is whole.
TEST(PeImage, ACutDllGivesExactlyWhatItsBytesHold) {
    const std::vector<std::string> imports = {"KERNEL32.dll", "USER32.dll", "msvcrt.dll"};
    for (const uint16_t machine : {PeMachineI386, PeMachineAmd64}) {
        SCOPED_TRACE(machine);
        kotest::TDllLayout layout;
        const std::vector<uint8_t> bytes = kotest::MakeDll(machine, imports, true, &layout);
        const std::optional<TPeModule> whole = Read(bytes);
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole->Imports, imports);
        for (size_t size = 0; size < bytes.size(); ++size) {
            const std::optional<TPeFields> fields = FindPeFields(bytes.data(), size);
            EXPECT_EQ(bool(fields), size >= layout.Security + 8) << size;
            if (fields) {
                EXPECT_EQ(fields->CheckSum, layout.CheckSum);
                EXPECT_EQ(fields->SecurityDirectory, layout.Security);
            }
            const std::optional<TPeModule> cut =
                Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + ptrdiff_t(size)));
            if (size < layout.NewHeader + 24) {
                EXPECT_FALSE(cut) << size;
                continue;
            }
            ASSERT_TRUE(cut) << size;
            EXPECT_EQ(cut->Machine, machine);
            EXPECT_TRUE(cut->Dll);
            size_t named = 0;
            while (size >= layout.SectionsEnd && named < imports.size() &&
                   layout.Names[named] <= size)
                ++named;
            EXPECT_EQ(cut->Imports,
                      std::vector<std::string>(imports.begin(), imports.begin() + ptrdiff_t(named)))
                << size;
        }
    }
}
