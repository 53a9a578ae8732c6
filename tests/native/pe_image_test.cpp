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
// DLL it imports, through PE32 and PE32+ headers alike. Cut short anywhere, the file gives no
// more than it holds and never reads outside it.
TEST(PeImage, ReadsMachineAndImportsOfBothBitnesses) {
    const struct {
        const char* Path;
        uint16_t Machine;
    } dlls[] = {{"files/MQL4/Libraries/SampleTrend.dll", PeMachineI386},
                {"files/MQL5/Libraries/SampleTrend.dll", PeMachineAmd64}};
    for (const auto& dll : dlls) {
        const std::vector<uint8_t> bytes = kotest::ReadFile(kotest::Sample / dll.Path);
        const std::optional<TPeModule> module = Read(bytes);
        ASSERT_TRUE(module) << dll.Path;
        EXPECT_EQ(module->Machine, dll.Machine);
        EXPECT_TRUE(module->Dll);
        EXPECT_EQ(module->Imports, std::vector<std::string>{"KERNEL32.dll"}) << dll.Path;
        for (size_t size = 0; size < bytes.size(); ++size) {
            const std::optional<TPeModule> cut =
                Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + ptrdiff_t(size)));
            if (cut) {
                EXPECT_EQ(cut->Machine, dll.Machine);
            }
            if (cut && !cut->Imports.empty()) {
                EXPECT_EQ(cut->Imports, module->Imports) << size;
            }
        }
    }
    // The stub itself is a program, no DLL; text is no image at all.
    EXPECT_FALSE(Read(kotest::FakeStub())->Dll);
    EXPECT_FALSE(Read({'M', 'Z', 0, 0}));
}
