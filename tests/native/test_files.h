// Whole files made by the project's own writers, for the native tests and as the fuzz targets'
// seeds: a stub image, a JPEG, a package with every kind of record, an uninstall log with every
// kind of entry, and DLLs of either bitness. Nothing here needs GoogleTest, so that the fuzz tree
// builds it too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kotest {

// A valid baseline JPEG of Width x Height grey pixels, or CMYK ones.
std::vector<uint8_t> MakeJpeg(int width, int height, bool cmyk = false);

// A fake program image of Size bytes whose offset 136 holds Size, as a stub's does. It looks
// like a program the builder accepts: "MZ", e_lfanew 256 and "PE\0\0" there (from 260 bytes
// up); bytes 128 to 255 are zero apart from the pointer.
std::vector<uint8_t> FakeStub(uint32_t size = 512);
// The same image as the builder wants it before it sets the pointer: bytes 128 to 255 zero.
std::vector<uint8_t> FakeCleanStub(uint32_t size = 512);

// The smallest stub the loaders accept: the pointer at 136 and nothing behind it, so that what
// follows starts at StubEnd.
inline constexpr uint32_t StubEnd = 140;

// A Setup.exe: a StubEnd-byte stub, a package with every record the format has (code page,
// identity, documents, key, banner, stored and external run items, files with digests,
// translations with their documents, the records digest) and the files' enciphered data.
std::vector<uint8_t> SeedSetup();

// An Uninstall.exe: a StubEnd-byte stub and a log with the code page, identity, banner, the
// language spoken, two translations, and folders and files of which some need their UTF-8 record.
std::vector<uint8_t> SeedUninstaller();

// The smallest log in which a UTF-8 record amends an entry: the magic, a folder, its UTF-8 path.
std::vector<uint8_t> SeedMinimalLog();

// Where the parts of a DLL that MakeDll writes lie, for tests that cut it short.
struct TDllLayout {
    size_t NewHeader = 0;      // the "PE\0\0" signature
    size_t CheckSum = 0;       // the optional header's checksum
    size_t Security = 0;       // the security directory's entry (address, size)
    size_t SectionsEnd = 0;    // behind the section table
    std::vector<size_t> Names; // behind the NUL of each imported DLL's name, in order
};

// A DLL (or, without Dll, a program) for Machine in the PE32 format (i386) or PE32+ (any other
// machine), whose import directory lists Imports in that order. Layout, when given, receives
// where its parts lie.
std::vector<uint8_t> MakeDll(uint16_t machine, const std::vector<std::string>& imports,
                             bool dll = true, TDllLayout* layout = nullptr);

} // namespace kotest
