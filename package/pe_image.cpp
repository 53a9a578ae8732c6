#include "package/pe_image.h"

#include "package/format.h"

#include <string_view>
#include <vector>

namespace ko {

namespace {

constexpr size_t NewHeaderPointer = size_t(format::NewHeaderPointer);
constexpr size_t CoffHeaderSize = 20;
constexpr size_t SecurityEntry = 4;
constexpr size_t HeaderBytes = 4096; // the headers of any program the stub is fit in here
constexpr size_t SectionEntry = 40;
constexpr size_t ImportEntry = 20;
constexpr uint32_t ImportDirectory = 1;
constexpr uint16_t DllFlag = 0x2000;
// Bounds for a damaged or hostile file: no DLL imports from more, no DLL name is longer.
constexpr size_t MaxImports = 1024;
constexpr size_t MaxImportName = 260;

// Count bytes at Offset of File; false when the file ends before.
bool ReadAt(TStream& file, int64_t offset, void* buffer, size_t count) {
    if (offset < 0 || offset > file.Size())
        return false;
    file.SetPosition(offset);
    return file.ReadFully(buffer, int64_t(count)) == int64_t(count);
}

// The file offset of an address relative to the image's base, through the section that holds
// it; nothing when no section's raw data holds it.
std::optional<int64_t> FileOffset(const std::vector<uint8_t>& sections, uint32_t address) {
    for (size_t at = 0; at + SectionEntry <= sections.size(); at += SectionEntry) {
        const uint8_t* section = &sections[at];
        const uint32_t start = GetLE32(section + 12);
        const uint32_t rawSize = GetLE32(section + 16);
        if (address >= start && address - start < rawSize)
            return int64_t(GetLE32(section + 20)) + (address - start);
    }
    return std::nullopt;
}

// The DLL names of the import directory at Directory (an address), in the order it lists them.
std::vector<std::string> ImportNames(TStream& file, const std::vector<uint8_t>& sections,
                                     uint32_t directory) {
    std::vector<std::string> names;
    const std::optional<int64_t> start = FileOffset(sections, directory);
    if (!start)
        return names;
    for (size_t i = 0; i < MaxImports; ++i) {
        uint8_t entry[ImportEntry];
        if (!ReadAt(file, *start + int64_t(i * ImportEntry), entry, sizeof entry))
            break;
        const uint32_t nameAddress = GetLE32(entry + 12);
        if (nameAddress == 0) // the directory ends with an entry of zeros
            break;
        const std::optional<int64_t> at = FileOffset(sections, nameAddress);
        if (!at || *at > file.Size())
            break;
        char buffer[MaxImportName];
        file.SetPosition(*at);
        const std::string_view text(buffer, size_t(file.ReadFully(buffer, sizeof buffer)));
        const size_t end = text.find('\0');
        if (end == std::string_view::npos || end == 0)
            break;
        names.emplace_back(text.substr(0, end));
    }
    return names;
}

} // namespace

std::optional<TPeFields> FindPeFields(const uint8_t* header, size_t size) {
    if (size < NewHeaderPointer + 4 || header[0] != 'M' || header[1] != 'Z')
        return std::nullopt;
    const size_t pe = GetLE32(header + NewHeaderPointer);
    if (pe > size || size - pe < 4 + CoffHeaderSize + 2 || GetLE32(header + pe) != 0x00004550)
        return std::nullopt;
    const size_t optional = pe + 4 + CoffHeaderSize;
    const uint16_t magic = static_cast<uint16_t>(header[optional] | header[optional + 1] << 8);
    // PE32 and PE32+ differ in the width of four fields before the data directories.
    const size_t countOffset = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    if (countOffset == 0 || size - optional < countOffset + 4)
        return std::nullopt;
    const uint32_t count = GetLE32(header + optional + countOffset);
    const size_t entry = optional + countOffset + 4 + SecurityEntry * 8;
    if (count <= SecurityEntry || size < 8 || entry > size - 8)
        return std::nullopt;
    return TPeFields{optional + 64, entry};
}

uint32_t PeChecksum(TStream& file, size_t checkSumOffset) {
    std::vector<uint8_t> buffer(1 << 16);
    uint64_t sum = 0;
    int64_t position = 0;
    file.SetPosition(0);
    for (int64_t n; (n = file.ReadFully(buffer.data(), int64_t(buffer.size()))) > 0;) {
        if (n % 2)
            buffer[size_t(n++)] = 0; // an odd length ends in a half word; only at the end
        for (int64_t i = 0; i < n; i += 2, position += 2) {
            if (uint64_t(position) >= checkSumOffset && uint64_t(position) < checkSumOffset + 4)
                continue;
            sum += uint32_t(buffer[size_t(i)] | buffer[size_t(i + 1)] << 8);
            sum = (sum & 0xFFFF) + (sum >> 16);
        }
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + uint64_t(file.Size()));
}

std::optional<TPeModule> ReadPeModule(TStream& file) {
    uint8_t dos[NewHeaderPointer + 4];
    if (!ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return std::nullopt;
    const int64_t pe = GetLE32(dos + NewHeaderPointer);
    uint8_t coff[4 + CoffHeaderSize];
    if (!ReadAt(file, pe, coff, sizeof coff) || GetLE32(coff) != 0x00004550)
        return std::nullopt;
    TPeModule module;
    module.Machine = GetLE16(coff + 4);
    module.Dll = (GetLE16(coff + 22) & DllFlag) != 0;
    const size_t sectionCount = GetLE16(coff + 6);
    const size_t optionalSize = GetLE16(coff + 20);
    const int64_t optional = pe + int64_t(sizeof coff);
    std::vector<uint8_t> header(optionalSize);
    std::vector<uint8_t> sections(sectionCount * SectionEntry);
    if (optionalSize < 2 || !ReadAt(file, optional, header.data(), header.size()) ||
        !ReadAt(file, optional + int64_t(optionalSize), sections.data(), sections.size()))
        return module;
    const uint16_t magic = GetLE16(header.data());
    const size_t countOffset = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    if (countOffset == 0 || optionalSize < countOffset + 4)
        return module;
    const size_t entry = countOffset + 4 + ImportDirectory * 8;
    if (GetLE32(&header[countOffset]) <= ImportDirectory || optionalSize < entry + 8)
        return module;
    const uint32_t directory = GetLE32(&header[entry]);
    if (directory != 0)
        module.Imports = ImportNames(file, sections, directory);
    return module;
}

bool ClearSignature(TStream& file) {
    std::vector<uint8_t> header(HeaderBytes);
    file.SetPosition(0);
    header.resize(size_t(file.ReadFully(header.data(), int64_t(header.size()))));
    const std::optional<TPeFields> fields = FindPeFields(header.data(), header.size());
    if (!fields || (GetLE32(&header[fields->SecurityDirectory]) == 0 &&
                    GetLE32(&header[fields->SecurityDirectory + 4]) == 0))
        return false;
    uint8_t zero[8] = {};
    file.SetPosition(int64_t(fields->SecurityDirectory));
    file.WriteBuffer(zero, 8);
    uint8_t sum[4];
    PutLE32(sum, PeChecksum(file, fields->CheckSum));
    file.SetPosition(int64_t(fields->CheckSum));
    file.WriteBuffer(sum, 4);
    return true;
}

} // namespace ko
