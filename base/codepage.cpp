#include "base/codepage.h"

#include "base/double_byte.h"

#include <algorithm>
#include <iterator>

namespace ko {

namespace detail {
extern const int CodePageIds[10];
extern const uint16_t CodePageHigh[10][128];
} // namespace detail

namespace {

constexpr char32_t Replacement = ReplacementCharacter;

// The table of bytes 0x80..0xFF of a code page, or null when it is not one we carry.
const uint16_t* HighTable(int codePage) {
    for (size_t i = 0; i < std::size(detail::CodePageIds); ++i)
        if (detail::CodePageIds[i] == codePage)
            return detail::CodePageHigh[i];
    return nullptr;
}

// The byte that stands for Character in the table, if any.
std::optional<uint8_t> EncodeChar(const uint16_t* high, char32_t character) {
    if (character < 0x80)
        return static_cast<uint8_t>(character);
    for (int i = 0; i < 128; ++i)
        if (high[i] != 0 && high[i] == character)
            return static_cast<uint8_t>(0x80 + i);
    return std::nullopt;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The character of a double-byte or UTF-8 text at Pos, U+FFFD for a byte that begins none.
TUtf8Char DecodeMultiByteChar(std::string_view bytes, size_t pos, int codePage) {
    if (codePage == Utf8CodePage)
        return DecodeUtf8Char(bytes, pos);
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80)
        return {lead, 1};
    const size_t length = IsLeadByte(lead, codePage) && pos + 1 < bytes.size() ? 2 : 1;
    const std::optional<std::string> utf8 = DoubleByteToUtf8(bytes.substr(pos, length), codePage);
    if (!utf8 || utf8->empty())
        return {Replacement, 1};
    const TUtf8Char c = DecodeUtf8Char(*utf8, 0);
    return {c.CodePoint, c.Length == utf8->size() ? length : 1};
}

} // namespace

bool IsSingleByteCodePage(int codePage) {
    return HighTable(codePage) != nullptr;
}

bool IsSupportedCodePage(int codePage) {
    return IsSingleByteCodePage(codePage) || IsDoubleByteCodePage(codePage) ||
           codePage == Utf8CodePage;
}

std::string SupportedCodePageList() {
    std::vector<int> pages(std::begin(detail::CodePageIds), std::end(detail::CodePageIds));
    pages.insert(pages.end(), {932, 936, 949, 950, Utf8CodePage});
    std::sort(pages.begin(), pages.end());
    std::string list;
    for (int id : pages)
        list += (list.empty() ? "" : ", ") + std::to_string(id);
    return list;
}

TUtf8Char DecodeUtf8Char(std::string_view text, size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return {lead, 1};
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || pos + length > text.size())
        return {Replacement, 1};
    char32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(c))
            return {Replacement, 1};
        value = value << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static constexpr char32_t Minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < Minimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {Replacement, 1};
    return {value, length};
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    for (size_t pos = 0; pos < text.size();) {
        const TUtf8Char c = DecodeUtf8Char(text, pos);
        result += c.CodePoint;
        pos += c.Length;
    }
    return result;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

TCodePageText Utf8ToCodePage(std::string_view utf8, int codePage) {
    const uint16_t* high = HighTable(codePage);
    const bool doubleByte = IsDoubleByteCodePage(codePage);
    TCodePageText result;
    // The system converts a whole text at once; only one that fails is taken apart to name the
    // character.
    if (doubleByte)
        if (std::optional<std::string> bytes = Utf8ToDoubleByte(utf8, codePage)) {
            result.Bytes = std::move(*bytes);
            return result;
        }
    for (size_t pos = 0; pos < utf8.size();) {
        const TUtf8Char c = DecodeUtf8Char(utf8, pos);
        const std::string_view one = utf8.substr(pos, c.Length);
        // A malformed sequence counts as U+FFFD, and no code page holds that.
        const bool malformed = c.CodePoint == Replacement && c.Length == 1;
        std::optional<std::string> bytes;
        if (!malformed && (codePage == Utf8CodePage || c.CodePoint < 0x80))
            bytes = std::string(one);
        else if (!malformed && high && c.CodePoint != Replacement)
            if (const std::optional<uint8_t> byte = EncodeChar(high, c.CodePoint))
                bytes = std::string(1, static_cast<char>(*byte));
        if (!malformed && !bytes && doubleByte)
            bytes = Utf8ToDoubleByte(one, codePage);
        if (!bytes) {
            result.Unmappable = c.CodePoint;
            return result;
        }
        result.Bytes += *bytes;
        pos += c.Length;
    }
    return result;
}

std::string CodePageToUtf8(std::string_view bytes, int codePage) {
    std::string result;
    if (IsDoubleByteCodePage(codePage))
        if (std::optional<std::string> utf8 = DoubleByteToUtf8(bytes, codePage))
            return std::move(*utf8);
    if (codePage == Utf8CodePage || IsDoubleByteCodePage(codePage)) {
        for (size_t pos = 0; pos < bytes.size();) {
            const TUtf8Char c = DecodeMultiByteChar(bytes, pos, codePage);
            AppendUtf8(result, c.CodePoint);
            pos += c.Length;
        }
        return result;
    }
    const uint16_t* high = HighTable(codePage);
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char32_t c = b < 0x80 ? b : high && high[b - 0x80] ? high[b - 0x80] : Replacement;
        AppendUtf8(result, c);
    }
    return result;
}

std::optional<size_t> FindUndefinedByte(std::string_view bytes, int codePage) {
    if (codePage == Utf8CodePage || IsDoubleByteCodePage(codePage)) {
        if (IsDoubleByteCodePage(codePage) && DoubleByteToUtf8(bytes, codePage))
            return std::nullopt;
        for (size_t pos = 0; pos < bytes.size();) {
            const TUtf8Char c = DecodeMultiByteChar(bytes, pos, codePage);
            // An encoded U+FFFD is a character; a byte that gives it alone is none.
            if (c.CodePoint == Replacement && c.Length == 1)
                return pos;
            pos += c.Length;
        }
        return std::nullopt;
    }
    const uint16_t* high = HighTable(codePage);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && (!high || high[b - 0x80] == 0))
            return i;
    }
    return std::nullopt;
}

std::string DescribeCharacter(char32_t c) {
    std::string text = "U+";
    const int digits = c > 0xFFFFF ? 6 : c > 0xFFFF ? 5 : 4;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += "0123456789ABCDEF"[(c >> shift) & 15];
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0) || c == Replacement;
    if (!control) {
        text += " '";
        AppendUtf8(text, c);
        text += "'";
    }
    return text;
}

} // namespace ko
