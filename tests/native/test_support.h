// Helpers shared by the native tests: scratch folders and files, the builder run in this
// process, and (from test_files.h) the files the project's own writers make.
#pragma once

#include "base/stream.h"
#include "test_files.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kotest {

// The sample product the builder tests package.
inline const std::filesystem::path Sample =
    std::filesystem::path(KOSETUP_SOURCE_DIR) / "examples/sample-ea";
// The sample's DLL built by MinGW for each platform: 32-bit for MetaTrader 4, 64-bit for 5.
inline const std::filesystem::path SampleDll32 = Sample / "files/MQL4/Libraries/SampleTrend.dll";
inline const std::filesystem::path SampleDll64 = Sample / "files/MQL5/Libraries/SampleTrend.dll";

// Jpeg with the size in its frame header replaced: a header that claims any size.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, int width, int height);

// A fresh, empty folder removed again when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

// Writes a file, creating its folder; reads a whole file.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::filesystem::path& path);

// Runs the kosetup command line in this process; Out and Err receive what it printed.
int RunKosetup(const std::vector<std::string>& args, std::string& out, std::string& err);
// Builds Manifest into Output with FakeCleanStub() as the stub and the given key (32 hex
// digits); fails the test with the builder's message when the build fails.
void BuildSetup(const std::filesystem::path& manifest, const std::filesystem::path& output,
                const std::string& key = "00112233445566778899aabbccddeeff");

} // namespace kotest
