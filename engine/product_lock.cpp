#include "engine/product_lock.h"

#include "base/win32_util.h"

#include <windows.h>

namespace ko {

namespace {

// After CreateMutex was denied: either another user's run holds a mutex this one may not open,
// or this process lacks the right to create objects in the global namespace (it was started
// without elevation) and there is no such mutex.
bool Exists(const std::wstring& name) {
    const HANDLE handle = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (handle) {
        CloseHandle(handle);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

} // namespace

TProductLock::~TProductLock() {
    if (FHandle)
        CloseHandle(FHandle);
}

bool TProductLock::Acquire(const std::string& folderName) {
    if (folderName.empty())
        return true;
    // In the global namespace, so that runs in other sessions (another user on the same
    // server, a deployment service) see it too. Windows compares folder names without regard to
    // case but mutex names with it.
    std::wstring product = Wide(folderName);
    CharUpperBuffW(product.data(), static_cast<DWORD>(product.size()));
    const std::wstring name = L"Global\\KoSetup " + product;
    const HANDLE handle = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    if (!handle)
        return error != ERROR_ACCESS_DENIED || !Exists(name);
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return false;
    }
    FHandle = handle;
    return true;
}

std::string TProductLock::Message(const std::string& folderName) {
    return "Another installation or uninstallation of " + folderName +
           " is running. Wait until it has finished, then start again.";
}

} // namespace ko
