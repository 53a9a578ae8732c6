#include "package/pe_image.h"

#include "package/format.h"

#include <vector>

namespace ko {

namespace {

constexpr size_t NewHeaderPointer = size_t(format::NewHeaderPointer);
constexpr size_t CoffHeaderSize = 20;
constexpr size_t SecurityEntry = 4;
constexpr size_t HeaderBytes = 4096; // the headers of any program the stub is fit in here

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
