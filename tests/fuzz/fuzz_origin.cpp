// A data folder's origin.txt may hold anything another account wrote there, and the installer
// reads it elevated: the reader never fails, and what it accepts is an absolute folder path
// without control characters or a trailing "\".
#include "base/codepage.h"
#include "engine/terminal_origin.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Latin-1 as the 8-bit code page: every byte a character.
std::string Latin1(std::string_view bytes) {
    std::string utf8;
    for (char c : bytes)
        ko::AppendUtf8(utf8, static_cast<unsigned char>(c));
    return utf8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> path = ko::ReadOriginText(bytes, Latin1);
    if (!path)
        return 0;
    const bool drive = path->size() > 3 && (*path)[1] == ':' && (*path)[2] == '\\';
    if ((!drive && path->rfind("\\\\", 0) != 0) || path->back() == '\\')
        std::abort();
    for (char c : *path)
        if (static_cast<unsigned char>(c) < 0x20)
            std::abort();
    return 0;
}
