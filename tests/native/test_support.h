// Helpers shared by the native tests: a real JPEG made with libjpeg, a stub image with the
// package pointer in place, and scratch folders and files.
#pragma once

#include "base/stream.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kotest {

// The sample product the builder tests package.
inline const std::filesystem::path Sample =
    std::filesystem::path(KOSETUP_SOURCE_DIR) / "examples/sample-ea";

// A valid baseline JPEG of Width x Height grey pixels, or CMYK ones.
std::vector<uint8_t> MakeJpeg(int width, int height, bool cmyk = false);
// Jpeg with the size in its frame header replaced: a header that claims any size.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, int width, int height);

// A fake program image of Size bytes whose offset 136 holds Size, as a stub's does. It looks
// like a program the builder accepts: "MZ", e_lfanew 256 and "PE\0\0" there (from 260 bytes
// up); bytes 128 to 255 are zero apart from the pointer.
std::vector<uint8_t> FakeStub(uint32_t size = 512);
// The same image as the builder wants it before it sets the pointer: bytes 128 to 255 zero.
std::vector<uint8_t> FakeCleanStub(uint32_t size = 512);

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
