#include "base/double_byte.h"

#include <cerrno>
#include <iconv.h>

namespace ko {

namespace {

// The C library's names of the Windows code pages (its gconv modules, part of the C library's
// own package on Debian).
const char* IconvName(int codePage) {
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    default:
        return nullptr;
    }
}

// The whole of Input converted, or nothing at the first sequence that has no conversion.
std::optional<std::string> Convert(std::string_view input, const char* to, const char* from) {
    if (!to || !from)
        return std::nullopt;
    const iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::nullopt;
    std::string output(input.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* out = output.data() + done;
        size_t outLeft = output.size() - done;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        done = size_t(out - output.data());
        if (result != size_t(-1))
            break;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        output.resize(output.size() * 2);
    }
    // A conversion that is not exact is only counted in the result, not refused: the caller
    // converts back to find it.
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.resize(done);
    return output;
}

} // namespace

bool CanConvertDoubleByte(int codePage) {
    const char* name = IconvName(codePage);
    if (!name)
        return false;
    const iconv_t cd = iconv_open(name, "UTF-8");
    if (cd == iconv_t(-1))
        return false;
    iconv_close(cd);
    return true;
}

std::optional<std::string> Utf8ToDoubleByte(std::string_view utf8, int codePage) {
    std::optional<std::string> bytes = Convert(utf8, IconvName(codePage), "UTF-8");
    // The conversion back must give the text again: no best fit stands in for a character.
    if (!bytes || Convert(*bytes, "UTF-8", IconvName(codePage)) != std::string(utf8))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> DoubleByteToUtf8(std::string_view bytes, int codePage) {
    return Convert(bytes, "UTF-8", IconvName(codePage));
}

} // namespace ko
