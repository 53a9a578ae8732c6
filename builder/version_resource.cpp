#include "builder/version_resource.h"

#include "base/file_stream.h"
#include "base/stream.h"
#include "base/unicode.h"
#include "base/utf16.h"
#include "builder/manifest.h"
#include "builder/pe_resource.h"
#include "package/windows_names.h"

#include <algorithm>
#include <cstring>

namespace ko {

namespace {

constexpr uint16_t ResourceTypeVersion = 16;
constexpr uint16_t VersionResourceId = 1;
constexpr uint32_t FixedSignature = 0xFEEF04BDu;
constexpr size_t FixedSize = 52;
// US English, Unicode: the string table's name and the one translation listed.
const char16_t StringTableName[] = u"040904B0";
constexpr uint16_t Language = 0x0409, CodePage = 1200;

// At most Limit units of a text, never half of a surrogate pair.
std::u16string Clipped(std::u16string text, size_t limit) {
    if (text.size() > limit)
        text.resize(limit > 0 && IsHighSurrogate(text[limit - 1]) ? limit - 1 : limit);
    return text;
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, uint16_t(value));
    Put16(out, uint16_t(value >> 16));
}

// Every block starts on a 32-bit boundary of the resource.
void Align(std::vector<uint8_t>& out) {
    while (out.size() % 4)
        out.push_back(0);
}

// One block of the resource: header (length, value length, type), key, value, children.
struct TBlock {
    std::u16string Key;
    std::vector<uint8_t> Value;
    uint16_t ValueLength = 0; // in bytes for binary values, in characters for texts
    uint16_t Type = 1;        // 1 text, 0 binary
    std::vector<TBlock> Children;
};

void Encode(std::vector<uint8_t>& out, const TBlock& block) {
    const size_t start = out.size();
    out.resize(start + 6);
    for (char16_t c : block.Key)
        Put16(out, c);
    Put16(out, 0);
    Align(out);
    out.insert(out.end(), block.Value.begin(), block.Value.end());
    for (const TBlock& child : block.Children) {
        Align(out);
        Encode(out, child);
    }
    PutLE16(&out[start], uint16_t(out.size() - start));
    PutLE16(&out[start + 2], block.ValueLength);
    PutLE16(&out[start + 4], block.Type);
}

TBlock StringBlock(const std::string& name, const std::string& value) {
    TBlock block{Utf8ToUtf16(name), {}, 0, 1, {}};
    const std::u16string text = Clipped(Utf8ToUtf16(value), VersionTextLimit);
    for (char16_t c : text)
        Put16(block.Value, c);
    Put16(block.Value, 0);
    block.ValueLength = uint16_t(text.size() + 1);
    return block;
}

std::vector<uint8_t> FixedInfo(const int32_t (&version)[4]) {
    std::vector<uint8_t> fixed;
    const auto part = [&](int i) { return uint32_t(version[i]) & 0xFFFF; };
    const uint32_t ms = part(0) << 16 | part(1), ls = part(2) << 16 | part(3);
    // Signature, structure version, file and product version, flags mask and flags, the
    // system (Windows NT, 32-bit), the type (an application), subtype and date.
    for (uint32_t value :
         {FixedSignature, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0u, 0x00040004u, 1u, 0u, 0u, 0u})
        Put32(fixed, value);
    return fixed;
}

// The text a product name shows: a plain name as written, of a name with markup its plain text.
std::string ShownName(const std::string& name) {
    const std::optional<std::u16string> shown = ShownProductName(Utf8ToUtf16(name));
    return shown ? Utf16ToUtf8(*shown) : name;
}

// A view of one block of a resource being read, bounded by its parent.
struct TBlockView {
    std::u16string Key;
    const uint8_t* Value = nullptr;
    size_t ValueBytes = 0;
    std::vector<TBlockView> Children;
};

std::optional<TBlockView> Decode(const uint8_t* data, size_t size, int depth = 0) {
    if (size < 6 || depth > 4)
        return std::nullopt;
    const size_t length = GetLE16(data);
    const size_t valueLength = GetLE16(data + 2);
    const bool text = GetLE16(data + 4) == 1;
    if (length < 6 || length > size)
        return std::nullopt;
    TBlockView view;
    size_t at = 6;
    for (; at + 2 <= length && GetLE16(data + at) != 0; at += 2)
        view.Key += char16_t(GetLE16(data + at));
    at = (at + 2 + 3) & ~size_t(3);
    view.ValueBytes = text ? valueLength * 2 : valueLength;
    if (at > length || length - at < view.ValueBytes)
        return std::nullopt;
    view.Value = data + at;
    at = (at + view.ValueBytes + 3) & ~size_t(3);
    while (at + 6 <= length) {
        std::optional<TBlockView> child = Decode(data + at, length - at, depth + 1);
        if (!child)
            return std::nullopt;
        view.Children.push_back(std::move(*child));
        at = (at + GetLE16(data + at) + 3) & ~size_t(3);
    }
    return view;
}

std::string TextValue(const TBlockView& block) {
    std::u16string text;
    for (size_t i = 0; i + 1 < block.ValueBytes; i += 2) {
        const char16_t c = char16_t(GetLE16(block.Value + i));
        if (c == 0)
            break;
        text += c;
    }
    return Utf16ToUtf8(text);
}

} // namespace

TVersionInfo VersionInfoOf(const TManifest& manifest) {
    TVersionInfo info;
    const int32_t version[4] = {manifest.VersionMajor, manifest.VersionMinor, manifest.Build,
                                manifest.Release};
    std::copy(std::begin(version), std::end(version), info.Version);
    std::string text;
    for (int32_t part : version)
        text += (text.empty() ? "" : ".") + std::to_string(part);
    const std::string name = ShownName(NormalizeNfcUtf8(manifest.ProductName.Value));
    info.Strings = {{"CompanyName", NormalizeNfcUtf8(manifest.Publisher.Value)},
                    {"FileDescription", name + " Setup"},
                    {"FileVersion", text}};
    if (!manifest.Copyright.Value.empty())
        info.Strings.push_back({"LegalCopyright", NormalizeNfcUtf8(manifest.Copyright.Value)});
    info.Strings.push_back({"ProductName", name});
    info.Strings.push_back({"ProductVersion", text});
    return info;
}

std::vector<uint8_t> EncodeVersionInfo(const TVersionInfo& info) {
    TBlock table{StringTableName, {}, 0, 1, {}};
    for (const auto& [name, value] : info.Strings)
        table.Children.push_back(StringBlock(name, value));
    TBlock translation{u"Translation", {}, 4, 0, {}};
    Put16(translation.Value, Language);
    Put16(translation.Value, CodePage);
    const TBlock root{u"VS_VERSION_INFO",
                      FixedInfo(info.Version),
                      uint16_t(FixedSize),
                      0,
                      {TBlock{u"StringFileInfo", {}, 0, 1, {std::move(table)}},
                       TBlock{u"VarFileInfo", {}, 0, 1, {std::move(translation)}}}};
    std::vector<uint8_t> out;
    Encode(out, root);
    return out;
}

std::optional<TVersionInfo> DecodeVersionInfo(const uint8_t* data, size_t size) {
    const std::optional<TBlockView> root = Decode(data, size);
    if (!root || root->Key != u"VS_VERSION_INFO" || root->ValueBytes < FixedSize ||
        GetLE32(root->Value) != FixedSignature)
        return std::nullopt;
    TVersionInfo info;
    const uint32_t ms = GetLE32(root->Value + 8), ls = GetLE32(root->Value + 12);
    const int32_t version[4] = {int32_t(ms >> 16), int32_t(ms & 0xFFFF), int32_t(ls >> 16),
                                int32_t(ls & 0xFFFF)};
    std::copy(std::begin(version), std::end(version), info.Version);
    for (const TBlockView& child : root->Children)
        if (child.Key == u"StringFileInfo")
            for (const TBlockView& table : child.Children)
                for (const TBlockView& entry : table.Children)
                    info.Strings.push_back({Utf16ToUtf8(entry.Key), TextValue(entry)});
    return info;
}

bool WriteVersionResource(std::vector<uint8_t>& program, const TVersionInfo& info) {
    const std::optional<TFileRange> range =
        FindResource(program.data(), program.size(), ResourceTypeVersion, VersionResourceId);
    if (!range || range->Size < VersionResourceSize)
        return false;
    std::vector<uint8_t> block = EncodeVersionInfo(info);
    block.resize(range->Size, 0);
    std::memcpy(program.data() + range->Offset, block.data(), block.size());
    return true;
}

std::optional<TVersionInfo> ReadVersionResource(const uint8_t* program, size_t size) {
    const std::optional<TFileRange> range =
        FindResource(program, size, ResourceTypeVersion, VersionResourceId);
    if (!range)
        return std::nullopt;
    return DecodeVersionInfo(program + range->Offset, range->Size);
}

std::optional<TVersionInfo> ReadVersionResource(const std::string& fileName,
                                                uint32_t packageOffset) {
    // The stub's image is some hundred KB; whatever a damaged pointer says, no more than this
    // is read.
    constexpr int64_t MostProgramBytes = 16 << 20;
    TFileStream file(fileName, TFileMode::OpenRead);
    std::vector<uint8_t> program(
        size_t(std::min({int64_t(packageOffset), file.Size(), MostProgramBytes})));
    file.ReadBuffer(program.data(), int64_t(program.size()));
    return ReadVersionResource(program.data(), program.size());
}

} // namespace ko
