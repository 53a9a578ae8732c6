#include "base/double_byte.h"

#include <windows.h>

namespace ko {

bool CanConvertDoubleByte(int codePage) {
    return IsDoubleByteCodePage(codePage) && IsValidCodePage(UINT(codePage));
}

std::optional<std::string> DoubleByteToUtf8(std::string_view bytes, int codePage) {
    if (!CanConvertDoubleByte(codePage))
        return std::nullopt;
    if (bytes.empty())
        return std::string();
    const int size = int(bytes.size());
    const int n =
        MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::optional<std::string> Utf8ToDoubleByte(std::string_view utf8, int codePage) {
    if (!CanConvertDoubleByte(codePage))
        return std::nullopt;
    if (utf8.empty())
        return std::string();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()),
                                      nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
    const int length = WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), n,
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    std::string bytes(size_t(length), '\0');
    WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), n, bytes.data(), length,
                        nullptr, nullptr);
    // A character the code page lacks became its default character: the way back shows it.
    if (DoubleByteToUtf8(bytes, codePage) != std::string(utf8))
        return std::nullopt;
    return bytes;
}

} // namespace ko
