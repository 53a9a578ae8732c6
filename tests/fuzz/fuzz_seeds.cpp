// Writes the fuzz targets' seeds made by the project's own writers into the folder it is given,
// one folder per target: a package with every kind of record, uninstall logs with every kind of
// entry, and DLLs of both bitnesses with imports and a program. Real files reach the entries in
// a short run where bytes from nothing stop at the header.
#include "package/pe_image.h"
#include "tests/native/test_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

bool Write(const fs::path& path, const std::vector<uint8_t>& bytes, size_t from = 0) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data() + from),
               static_cast<std::streamsize>(bytes.size() - from));
    return bool(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    const std::vector<std::string> imports = {"KERNEL32.dll", "USER32.dll", "msvcrt.dll"};
    // The package target puts its own stub before the bytes it is given.
    const bool ok =
        Write(out / "package/setup.bin", kotest::SeedSetup(), kotest::StubEnd) &&
        Write(out / "uninstall_log/uninstaller.bin", kotest::SeedUninstaller()) &&
        Write(out / "uninstall_log/minimal.bin", kotest::SeedMinimalLog()) &&
        Write(out / "pe_image/x86.dll", kotest::MakeDll(ko::PeMachineI386, imports)) &&
        Write(out / "pe_image/x64.dll", kotest::MakeDll(ko::PeMachineAmd64, imports)) &&
        Write(out / "pe_image/x86.exe", kotest::MakeDll(ko::PeMachineI386, imports, false));
    if (!ok)
        std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
