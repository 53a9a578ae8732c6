#include "test_support.h"

#include "builder/cli.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace kotest {

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
