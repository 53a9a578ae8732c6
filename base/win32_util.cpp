#include "base/win32_util.h"

#include "base/utf16.h"

#include <ntsecapi.h>

#include <iterator>
#include <vector>

namespace ko {

std::wstring Wide(std::string_view utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string Utf8(std::wstring_view wide) {
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::optional<std::string> SystemDecode(std::string_view bytes, UINT codePage) {
    if (codePage != CP_ACP && !IsValidCodePage(codePage))
        return std::nullopt;
    if (bytes.empty())
        return std::string();
    const int size = int(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
    return Utf8(wide);
}

std::optional<std::string> SystemEncode(std::string_view utf8, UINT codePage) {
    if (codePage != CP_ACP && !IsValidCodePage(codePage))
        return std::nullopt;
    const std::wstring wide = Wide(utf8);
    if (wide.empty())
        return std::string();
    const int size = int(wide.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        // UTF-8 and a few stateful code pages take no flags.
        flags = 0;
        n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    }
    if (n <= 0)
        return std::nullopt;
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), n, nullptr, nullptr);
    // Whatever the code page did with a character it lacks, the text must come back unchanged.
    const std::optional<std::string> back = SystemDecode(bytes, codePage);
    if (!back || *back != Utf8(wide))
        return std::nullopt;
    return bytes;
}

std::string UserLanguageTag() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return {};
    return Utf8(name);
}

std::string SystemMessage(DWORD code) {
    wchar_t text[512] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, DWORD(std::size(text)), nullptr);
    std::string result = Utf8(std::wstring_view(text, n));
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return result;
}

std::string FileError(const char* what, const std::string& path, DWORD code) {
    std::string text = what;
    text.append(" \"").append(path).append("\". ").append(SystemMessage(code));
    return text;
}

bool SystemRandom(void* buffer, size_t count) {
    return RtlGenRandom(buffer, static_cast<ULONG>(count));
}

std::string RandomHex(size_t count) {
    std::vector<uint8_t> random(count);
    if (!SystemRandom(random.data(), count))
        return {};
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : random)
        text += {digits[byte >> 4], digits[byte & 15]};
    return text;
}

} // namespace ko
