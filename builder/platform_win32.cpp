#include "base/system_dll.h"
#include "base/win32_util.h"
#include "builder/build_error.h"
#include "builder/platform.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>

namespace ko {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path) {
    throw EBuildError("Cannot " + what + " \"" + PathToUtf8(path) + "\" (error " +
                      std::to_string(GetLastError()) + ").");
}

} // namespace

TFileTimes GetFileTimes(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        Fail("read the times of", path);
    return {FromFileTime(data.ftCreationTime), FromFileTime(data.ftLastWriteTime)};
}

void SetFileTimes(const std::filesystem::path& path, const TFileTimes& times) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("open", path);
    const FILETIME creation = ToFileTime(times.Creation);
    const FILETIME lastWrite = ToFileTime(times.LastWrite);
    const BOOL done =
        SetFileTime(file, times.Creation ? &creation : nullptr, &lastWrite, &lastWrite);
    CloseHandle(file);
    if (!done)
        Fail("set the times of", path);
}

void RandomBytes(uint8_t* buffer, size_t count) {
    if (!SystemRandom(buffer, count))
        throw EBuildError("Cannot get random bytes for the key: " + SystemMessage(GetLastError()));
}

std::filesystem::path ExecutablePath() {
    wchar_t name[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, name, static_cast<DWORD>(std::size(name)));
    if (n == 0 || n >= std::size(name))
        return {};
    return std::filesystem::path(std::wstring(name, n));
}

int RunShellCommand(const std::string& utf8) {
    // cmd /c strips the outer quotes of a line that begins with one; a second pair keeps the
    // line as it was written.
    const std::wstring line = L"\"" + PathFromUtf8(utf8).wstring() + L"\"";
    const int code = _wsystem(line.c_str());
    return code;
}

std::string ShellQuote(const std::filesystem::path& path) {
    return "\"" + PathToUtf8(path) + "\"";
}

std::vector<std::string> StartCommandLine(int, char**) {
    RestrictDllSearch();
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(PathToUtf8(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return args;
}

} // namespace ko
