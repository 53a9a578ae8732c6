#include "wizard/browse_folder.h"

#include "base/win32_util.h"
#include "engine/file_utils.h"

#include <shlobj.h>

#include <vector>

namespace ko {

namespace {

BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Disables the thread's windows for the life of the object, like a modal dialog of our own.
class TDisabledWindows {
public:
    TDisabledWindows() {
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabled,
                          reinterpret_cast<LPARAM>(&FWindows));
        for (HWND window : FWindows)
            EnableWindow(window, FALSE);
    }
    ~TDisabledWindows() {
        for (HWND window : FWindows)
            EnableWindow(window, TRUE);
    }
    TDisabledWindows(const TDisabledWindows&) = delete;
    TDisabledWindows& operator=(const TDisabledWindows&) = delete;

private:
    std::vector<HWND> FWindows;
};

LPITEMIDLIST ParseRoot(const std::wstring& root) {
    IShellFolder* desktop = nullptr;
    if (root.empty() || FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    LPITEMIDLIST items = nullptr;
    std::wstring name = root;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &items, nullptr)))
        items = nullptr;
    desktop->Release();
    return items;
}

} // namespace

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

bool BrowseForFolder(HWND owner, const std::string& title, const std::wstring& root,
                     std::string& folder) {
    if (!DirectoryExists(folder))
        folder.clear();
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return false;
    auto* buffer = static_cast<wchar_t*>(allocator->Alloc(MAX_PATH * sizeof(wchar_t)));
    if (!buffer) {
        allocator->Release();
        return false;
    }
    buffer[0] = L'\0';
    LPITEMIDLIST rootItems = ParseRoot(root);

    const std::wstring wideTitle = Wide(title), start = Wide(folder);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = rootItems;
    info.pszDisplayName = buffer;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!folder.empty()) {
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    }
    LPITEMIDLIST chosen = nullptr;
    {
        TDisabledWindows disabled;
        // A drive without a medium must not raise the system's "insert a disk" box.
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        chosen = SHBrowseForFolderW(&info);
        SetErrorMode(oldMode);
    }
    if (owner)
        SetActiveWindow(owner);

    bool result = false;
    if (chosen) {
        result = SHGetPathFromIDListW(chosen, buffer) != FALSE;
        allocator->Free(chosen);
        if (result)
            folder = Utf8(buffer);
    }
    if (rootItems)
        allocator->Free(rootItems);
    allocator->Free(buffer);
    allocator->Release();
    return result;
}

} // namespace ko
