#include "engine/common_ini.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace ko {

namespace {

constexpr size_t None = size_t(-1);

char16_t Unit(const std::vector<uint8_t>& file, size_t i) {
    return char16_t(file[2 * i] | file[2 * i + 1] << 8);
}

// The first unit from From on where Word starts in File and ends before unit To; None if none.
// Compared as bytes: both machines the program runs on keep char16_t little-endian, as the file.
size_t Find(const std::vector<uint8_t>& file, size_t from, size_t to, std::u16string_view word) {
    for (; from + word.size() <= to; ++from)
        if (std::memcmp(&file[2 * from], word.data(), 2 * word.size()) == 0)
            return from;
    return None;
}

} // namespace

unsigned Mt5Options(const std::string& options, bool on) {
    unsigned mask = 0;
    for (size_t i = 0; i < std::size(Mt5ExpertOptions); ++i) {
        const size_t at = Mt5ExpertOptions[i].Position - 1;
        const char c = at < options.size() ? options[at] : ' ';
        if (on ? c == '1' : c != '1' && c != ' ')
            mask |= 1u << i;
    }
    return mask;
}

std::string Mt5OptionsNote(unsigned mask, const std::string& name, const TUiTexts& texts) {
    std::string captions;
    for (size_t i = 0; i < std::size(Mt5ExpertOptions); ++i)
        if (mask & 1u << i)
            captions.append(captions.empty() ? "" : ", ")
                .append(texts(Mt5ExpertOptions[i].Caption));
    return texts("page.finish.mt5_options", {{"name", name}, {"options", captions}});
}

TCommonIniEdit SetMt5ExpertOptions(std::vector<uint8_t>& file, const std::string& options) {
    // The terminal reads nothing else: a file in any other encoding is one it would read as
    // empty, losing the trader's login with the rest.
    if (file.size() < 2 || file.size() % 2 || file[0] != 0xFF || file[1] != 0xFE)
        return TCommonIniEdit::NotUtf16;
    const size_t units = file.size() / 2;
    // Headings and keys as the terminal writes them, in its letter case at the start of a line
    // (the file starts with an empty one): anything else is a file it did not write.
    const size_t heading = Find(file, 0, units, u"\n[Experts]\r\n");
    if (heading == None)
        return TCommonIniEdit::NoSection;
    const size_t end = std::min(Find(file, heading + 1, units, u"\n["), units);
    const unsigned on = Mt5Options(options, true), wanted = on | Mt5Options(options, false);
    size_t digits[std::size(Mt5ExpertOptions)] = {};
    for (size_t i = 0; i < std::size(Mt5ExpertOptions); ++i) {
        if (!(wanted & 1u << i))
            continue;
        const std::u16string_view key = Mt5ExpertOptions[i].Key;
        const size_t at = Find(file, heading, end, key);
        // A value is one digit on its own, replaced in place, so that nothing else moves.
        const size_t digit = digits[i] = at + key.size();
        if (at == None || digit >= end || (Unit(file, digit) != '0' && Unit(file, digit) != '1') ||
            (digit + 1 < units && Unit(file, digit + 1) != '\r'))
            return TCommonIniEdit::NoKey;
    }
    for (size_t i = 0; i < std::size(Mt5ExpertOptions); ++i)
        if (wanted & 1u << i)
            file[2 * digits[i]] = on & 1u << i ? '1' : '0';
    return TCommonIniEdit::Done;
}

} // namespace ko
