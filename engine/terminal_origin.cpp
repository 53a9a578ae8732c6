#include "engine/terminal_origin.h"

#include "base/ascii_text.h"
#include "base/utf16.h"
#include "package/windows_names.h"

#include <algorithm>

namespace ko {

namespace {

// A UTF-16 LE text; nothing for an odd byte count or a surrogate without its partner.
std::optional<std::u16string> DecodeUtf16(std::string_view bytes) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool high = IsHighSurrogate(text[i]);
        if (IsLowSurrogate(text[i]) ||
            (high && (i + 1 == text.size() || !IsLowSurrogate(text[i + 1]))))
            return std::nullopt;
        if (high)
            ++i;
    }
    return text;
}

// The text in whichever encoding the bytes are in; nothing for a broken UTF-16 or UTF-8 text
// that announced its encoding with a byte-order mark.
std::optional<std::u16string> DecodeOrigin(std::string_view bytes, TAnsiDecoder ansi) {
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2));
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return Utf8ToUtf16(bytes.substr(3), true);
    // 8-bit text with accented letters is rarely valid UTF-8 by chance.
    if (auto text = Utf8ToUtf16(bytes, true))
        return text;
    return Utf8ToUtf16(ansi(bytes));
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'\\'))
        text.remove_suffix(1);
    return text;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "X:\name\name...", each step a name Windows reads as written, which is what the text
// looks like: no "/" (which Windows reads as "\": "C:\Program Files (x86)/../Users/<other>"
// lies in a profile), no "." or ".." step, no trailing dot or blank that Windows would drop, no
// device name, and no "~", which a short name such as "BOBSMI~1" has: another spelling of a
// folder that no comparison of texts would recognise. Never a network path
// ("\\server\share..."): the elevated installer would contact whatever computer another
// user's origin.txt names.
bool IsPlainFolderPath(const std::string& path) {
    const bool drive = path.size() > 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
    if (!drive || path.find_first_of("~\x7F", 3) != std::string::npos)
        return false;
    for (size_t start = 3; start <= path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        // SafeName changes what Windows would not read as one name of its own.
        const std::string_view step = std::string_view(path).substr(start, end - start);
        if (step.empty() || step.back() == '.' || step.back() == ' ' || SafeName(step) != step)
            return false;
        start = end + 1;
    }
    return true;
}

std::string WithoutTrailingDelimiters(const std::string& path) {
    const size_t end = path.find_last_not_of('\\');
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

} // namespace

std::optional<std::string> ReadOriginText(std::string_view bytes, TAnsiDecoder ansi) {
    if (bytes.empty() || bytes.size() > OriginFileLimit)
        return std::nullopt;
    const std::optional<std::u16string> text = DecodeOrigin(bytes, ansi);
    if (!text)
        return std::nullopt;
    std::string path = Utf16ToUtf8(Trimmed(*text));
    if (!IsPlainFolderPath(path))
        return std::nullopt;
    return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return SameText(WithoutTrailingDelimiters(a), WithoutTrailingDelimiters(b));
}

std::vector<std::string> DataFoldersOf(const std::vector<TDataFolder>& dataFolders,
                                       const std::string& terminal) {
    std::vector<std::string> result;
    for (const TDataFolder& dataFolder : dataFolders)
        if (SameFolder(dataFolder.Terminal, terminal))
            result.push_back(dataFolder.Folder);
    return result;
}

} // namespace ko
