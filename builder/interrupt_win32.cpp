#include "builder/output_file.h"

#include <windows.h>

namespace ko {

namespace {

// The console runs the handler on a thread of its own while the build goes on; the file was
// opened deletable, so deleting it there removes it as soon as the process has ended.
wchar_t InterruptPath[MAX_PATH * 4];
volatile LONG Armed = 0;

BOOL WINAPI OnInterrupt(DWORD) {
    if (InterlockedCompareExchange(&Armed, 0, 0))
        DeleteFileW(InterruptPath);
    return FALSE; // the default handler ends the process
}

} // namespace

void RemoveOnInterrupt(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    if (native.size() >= std::size(InterruptPath))
        return;
    native.copy(InterruptPath, native.size());
    InterruptPath[native.size()] = 0;
    InterlockedExchange(&Armed, 1);
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

void KeepOnInterrupt() {
    InterlockedExchange(&Armed, 0);
    SetConsoleCtrlHandler(OnInterrupt, FALSE);
}

} // namespace ko
