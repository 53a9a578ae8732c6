#include "base/system_dll.h"

#include <string>

namespace ko {

namespace {

// Not in Windows Vista, nor in a Windows 7 without the update that brought it: looked up, so
// that the program still starts there.
using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);

constexpr DWORD SearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

} // namespace

void RestrictDllSearch() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault =
        kernel ? reinterpret_cast<TSetDefaultDllDirectories>(
                     reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
               : nullptr;
    if (setDefault && setDefault(SearchSystem32))
        return;
    // Without it the program's folder stays in the search; an empty DLL folder at least drops
    // the current folder, and the program's own loads name the system folder in full.
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace ko
