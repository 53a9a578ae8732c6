#include "wizard/user_launch.h"

#include "base/com_ptr.h"
#include "base/win32_util.h"

#include <windows.h>

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace ko {

namespace {

// The ids come from __uuidof, and the one service id from here, rather than from libuuid, whose
// object file brings every id it holds into the program.
const GUID TopLevelBrowserService = {
    0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

// The desktop's own shell dispatch object: the desktop window among the shell's windows, its
// active view, that view's background object and, through it, the shell application object,
// which lives in the desktop's process.
bool DesktopShell(TComPtr<IShellDispatch2>& shell) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER,
                                __uuidof(IShellWindows), reinterpret_cast<void**>(&windows))))
        return false;
    VARIANT location = {}, root = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    root.vt = VT_EMPTY;
    LONG window = 0;
    TComPtr<IDispatch> found;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &found) !=
            S_OK ||
        !found)
        return false;
    TComPtr<IServiceProvider> provider;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background;
    TComPtr<IShellFolderViewDual> folderView;
    TComPtr<IDispatch> application;
    return SUCCEEDED(found->QueryInterface(__uuidof(IServiceProvider),
                                           reinterpret_cast<void**>(&provider))) &&
           SUCCEEDED(provider->QueryService(TopLevelBrowserService, __uuidof(IShellBrowser),
                                            reinterpret_cast<void**>(&browser))) &&
           SUCCEEDED(browser->QueryActiveShellView(&view)) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                         reinterpret_cast<void**>(&background))) &&
           SUCCEEDED(background->QueryInterface(__uuidof(IShellFolderViewDual),
                                                reinterpret_cast<void**>(&folderView))) &&
           SUCCEEDED(folderView->get_Application(&application)) &&
           SUCCEEDED(application->QueryInterface(__uuidof(IShellDispatch2),
                                                 reinterpret_cast<void**>(&shell)));
}

bool OpenThroughDesktop(const std::wstring& file) {
    TComPtr<IShellDispatch2> shell;
    if (!DesktopShell(shell))
        return false;
    BSTR name = SysAllocString(file.c_str());
    if (!name)
        return false;
    VARIANT none = {}, verb = {}, show = {};
    none.vt = VT_EMPTY;
    verb.vt = VT_BSTR;
    verb.bstrVal = SysAllocString(L"open");
    show.vt = VT_I4;
    show.lVal = SW_SHOW;
    const HRESULT result = shell->ShellExecute(name, none, none, verb, show);
    SysFreeString(verb.bstrVal);
    SysFreeString(name);
    return SUCCEEDED(result);
}

void OpenHere(const std::wstring& file) {
    ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
}

} // namespace

void OpenAsUser(const std::wstring& file, bool shellWindow,
                TFunctionRef<bool(const std::wstring&)> desktop,
                TFunctionRef<void(const std::wstring&)> elevated, const TLaunchLog& log) {
    if (!shellWindow)
        elevated(file);
    else if (!desktop(file) && log)
        log("WARNING: The desktop did not open " + Utf8(file) +
            "; it is not started with administrator rights instead ...");
}

// Only the window tells that there is no shell: a shell that exists but fails one of the calls
// that reach it (busy, another shell's partial interfaces, a broken registration) would
// otherwise have the program started with administrator rights.
void OpenAsUser(const std::wstring& file, const TLaunchLog& log) {
    OpenAsUser(file, GetShellWindow() != nullptr, OpenThroughDesktop, OpenHere, log);
}

} // namespace ko
