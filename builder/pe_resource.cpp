#include "builder/pe_resource.h"

#include "base/stream.h"
#include "package/format.h"

namespace ko {

namespace {

constexpr uint32_t SubdirectoryBit = 0x80000000u;

// A bounded reader of the image: every read past its end gives nothing.
class TImage {
public:
    TImage(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    std::optional<uint32_t> U32(size_t at) const {
        if (at > FSize || FSize - at < 4)
            return std::nullopt;
        return GetLE32(FData + at);
    }
    std::optional<uint16_t> U16(size_t at) const {
        if (at > FSize || FSize - at < 2)
            return std::nullopt;
        return static_cast<uint16_t>(FData[at] | FData[at + 1] << 8);
    }
    size_t Size() const { return FSize; }

private:
    const uint8_t* FData;
    size_t FSize;
};

// The file offset of a relative virtual address, through the section that holds it.
std::optional<size_t> FileOffset(const TImage& image, size_t sections, unsigned count,
                                 uint32_t rva) {
    for (unsigned i = 0; i < count; ++i) {
        const size_t section = sections + size_t(i) * 40;
        const auto address = image.U32(section + 12), raw = image.U32(section + 16),
                   pointer = image.U32(section + 20);
        if (!address || !raw || !pointer)
            return std::nullopt;
        if (rva >= *address && rva - *address < *raw)
            return size_t(*pointer) + (rva - *address);
    }
    return std::nullopt;
}

// The entry of Id in the directory at Directory (a file offset), as its OffsetToData; Id 0
// takes the first entry of any id.
std::optional<uint32_t> DirectoryEntry(const TImage& image, size_t directory, uint16_t id,
                                       bool any) {
    const auto named = image.U16(directory + 12), ids = image.U16(directory + 14);
    if (!named || !ids)
        return std::nullopt;
    for (unsigned i = *named; i < unsigned(*named) + *ids; ++i) {
        const size_t entry = directory + 16 + size_t(i) * 8;
        const auto name = image.U32(entry), data = image.U32(entry + 4);
        if (!name || !data)
            return std::nullopt;
        if (any || *name == id)
            return *data;
    }
    return std::nullopt;
}

} // namespace

std::optional<TFileRange> FindResource(const uint8_t* data, size_t size, uint16_t type,
                                       uint16_t id) {
    const TImage image(data, size);
    const auto pe = image.U32(format::NewHeaderPointer);
    if (!pe || image.U32(*pe) != 0x00004550u)
        return std::nullopt;
    const auto count = image.U16(*pe + 6), optionalSize = image.U16(*pe + 20);
    const size_t optional = *pe + 24;
    const auto magic = image.U16(optional);
    if (!count || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B))
        return std::nullopt;
    // PE32 and PE32+ differ in the width of four fields before the data directories.
    const size_t directories = optional + (*magic == 0x10B ? 96 : 112);
    const auto directoryCount = image.U32(directories - 4);
    const auto rsrc = image.U32(directories + 2 * 8);
    if (!directoryCount || *directoryCount <= 2 || !rsrc || *rsrc == 0)
        return std::nullopt;
    const size_t sections = optional + *optionalSize;
    const auto root = FileOffset(image, sections, *count, *rsrc);
    if (!root)
        return std::nullopt;
    // Three levels: type, name, language; the first two lead to subdirectories.
    size_t directory = *root;
    const uint16_t keys[] = {type, id, 0};
    std::optional<uint32_t> entry;
    for (int level = 0; level < 3; ++level) {
        entry = DirectoryEntry(image, directory, keys[level], level == 2);
        if (!entry || bool(*entry & SubdirectoryBit) != (level < 2))
            return std::nullopt;
        directory = *root + (*entry & ~SubdirectoryBit);
    }
    const auto rva = image.U32(directory), length = image.U32(directory + 4);
    if (!rva || !length)
        return std::nullopt;
    const auto offset = FileOffset(image, sections, *count, *rva);
    if (!offset || *offset > size || size - *offset < *length)
        return std::nullopt;
    return TFileRange{*offset, *length};
}

} // namespace ko
