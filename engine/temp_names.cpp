#include "engine/temp_names.h"

#include "base/win32_util.h"

namespace ko {

std::string TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, buffer);
    return Utf8(std::wstring_view(buffer, n <= MAX_PATH ? n : 0));
}

std::string TimeStampedName(const std::string& folder, const SYSTEMTIME& time,
                            const std::string& extension) {
    // Formatted by hand: the printf family would bring its own implementation into the stub.
    std::string stamp;
    auto put = [&stamp](unsigned value, int digits) {
        for (int d = digits - 1; d >= 0; --d) {
            unsigned divisor = 1;
            for (int i = 0; i < d; ++i)
                divisor *= 10;
            stamp += static_cast<char>('0' + value / divisor % 10);
        }
    };
    put(time.wYear, 4);
    put(time.wMonth, 2);
    put(time.wDay, 2);
    put(time.wHour, 2);
    put(time.wMinute, 2);
    put(time.wSecond, 2);
    put(time.wMilliseconds, 3);
    return folder + stamp + extension;
}

} // namespace ko
