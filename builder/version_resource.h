// The version resource of Setup.exe (VS_VERSIONINFO): what the file's Properties, the UAC prompt
// and Task Manager show as product, publisher and version. The stub reserves a resource of fixed
// size; the builder writes the product's block into it in place, padded with zeros, so that no
// section of the stub moves. Uninstall.exe, a copy of the stub part of Setup.exe, keeps it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ko {

struct TManifest;

// The bytes the stub reserves for the resource; what the builder writes always fits.
inline constexpr size_t VersionResourceSize = 4096;
// Longer texts are cut to this many UTF-16 units, so that every block fits the reserve.
inline constexpr size_t VersionTextLimit = 255;

struct TVersionInfo {
    // The four parts of the version; the fixed fields keep the low 16 bits of each.
    int32_t Version[4] = {1, 0, 0, 0};
    // Name and value in UTF-8, in the order written ("ProductName", "Sample EA"...).
    std::vector<std::pair<std::string, std::string>> Strings;
};

// The product's version information: ProductName (the text the name's markup shows),
// FileDescription (that name + " Setup"), CompanyName, FileVersion and ProductVersion
// ("major.minor.build.release") and LegalCopyright when the manifest gives one.
TVersionInfo VersionInfoOf(const TManifest& manifest);

// The VS_VERSIONINFO block of Info in US English, Unicode.
std::vector<uint8_t> EncodeVersionInfo(const TVersionInfo& info);

// The version and the strings of a VS_VERSIONINFO block; nothing when Data holds none.
std::optional<TVersionInfo> DecodeVersionInfo(const uint8_t* data, size_t size);

// Writes Info into the version resource Program reserves. False when Program has no version
// resource of at least VersionResourceSize bytes.
bool WriteVersionResource(std::vector<uint8_t>& program, const TVersionInfo& info);

// The version information of a program file's first Size bytes; nothing when it has none.
std::optional<TVersionInfo> ReadVersionResource(const uint8_t* program, size_t size);
// The same for the program part of a Setup.exe or Uninstall.exe: the bytes before its package.
std::optional<TVersionInfo> ReadVersionResource(const std::string& fileName,
                                                uint32_t packageOffset);

} // namespace ko
