#include "base/win32_util.h"

#include <ntsecapi.h>

namespace ko {

std::string SystemMessage(DWORD code) {
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string result(text, n);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return result;
}

bool SystemRandom(void* buffer, size_t count) {
    return RtlGenRandom(buffer, static_cast<ULONG>(count));
}

} // namespace ko
