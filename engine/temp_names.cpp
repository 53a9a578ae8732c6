#include "engine/temp_names.h"

#include <cstdio>

namespace ko {

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof buffer - 1, buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string TimeStampedName(const std::string& folder, const SYSTEMTIME& time,
                            const std::string& extension) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u%03u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    return folder + stamp + extension;
}

} // namespace ko
