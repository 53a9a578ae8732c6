#include "test_support.h"

#include "builder/cli.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <jpeglib.h>
#include <sstream>
#include <unistd.h>

namespace kotest {

std::vector<uint8_t> MakeJpeg(int width, int height, bool cmyk) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = cmyk ? 4 : 1;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width * info.input_components), 0x80);
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, int width, int height) {
    // The baseline frame header: FF C0, length, precision, then height and width big-endian.
    for (size_t i = 0; i + 9 <= jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = uint8_t(height >> 8);
            jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8);
            jpeg[i + 8] = uint8_t(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

std::vector<uint8_t> FakeCleanStub(uint32_t size) {
    std::vector<uint8_t> stub(size, 0);
    stub[0] = 'M';
    stub[1] = 'Z';
    if (size >= 260) {
        ko::PutLE32(stub.data() + 0x3C, 256);
        std::memcpy(stub.data() + 256, "PE\0\0", 4);
    }
    return stub;
}

std::vector<uint8_t> FakeStub(uint32_t size) {
    std::vector<uint8_t> stub = FakeCleanStub(size);
    ko::PutLE32(stub.data() + 136, size);
    return stub;
}

TTempDir::TTempDir() {
    static int counter = 0;
    const auto base = std::filesystem::temp_directory_path();
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()
                                 ? ::testing::UnitTest::GetInstance()->current_test_info()->name()
                                 : "test";
    do
        FPath = base / ("kosetup-" + std::to_string(::getpid()) + "-" + test + "-" +
                        std::to_string(++counter));
    while (std::filesystem::exists(FPath));
    std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

int RunKosetup(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::ostringstream outStream, errStream;
    const int code = ko::RunKosetup(args, outStream, errStream);
    out = outStream.str();
    err = errStream.str();
    return code;
}

void BuildSetup(const std::filesystem::path& manifest, const std::filesystem::path& output,
                const std::string& key) {
    const std::filesystem::path stub = output.parent_path() / "fake-stub.exe";
    WriteFile(stub, FakeCleanStub());
    std::string out, err;
    const int code = RunKosetup(
        {"build", manifest.string(), "-o", output.string(), "--stub", stub.string(), "--key", key},
        out, err);
    ASSERT_EQ(code, 0) << err;
}

} // namespace kotest
