#include "builder/dll_dependencies.h"

#include "base/ascii_text.h"

#include <algorithm>
#include <iterator>

namespace ko {

namespace {

// The system DLLs add-ons import, as Windows 7 and later all carry them in the system folder.
// A DLL outside this list that Windows does have only costs a warning the vendor can read past;
// one missing from the trader's machine costs a support ticket.
constexpr std::string_view WindowsDlls[] = {
    "advapi32.dll", "bcrypt.dll",   "cabinet.dll",    "cfgmgr32.dll",  "comctl32.dll",
    "comdlg32.dll", "crypt32.dll",  "cryptbase.dll",  "cryptnet.dll",  "d2d1.dll",
    "d3d10.dll",    "d3d11.dll",    "d3d9.dll",       "dbghelp.dll",   "dhcpcsvc.dll",
    "dnsapi.dll",   "dwmapi.dll",   "dwrite.dll",     "dxgi.dll",      "gdi32.dll",
    "gdiplus.dll",  "glu32.dll",    "hid.dll",        "iphlpapi.dll",  "imagehlp.dll",
    "imm32.dll",    "kernel32.dll", "kernelbase.dll", "msacm32.dll",   "mscoree.dll",
    "msimg32.dll",  "msi.dll",      "msvcrt.dll",     "msvcp_win.dll", "mpr.dll",
    "mswsock.dll",  "ncrypt.dll",   "netapi32.dll",   "normaliz.dll",  "ntdll.dll",
    "odbc32.dll",   "ole32.dll",    "oleacc.dll",     "oleaut32.dll",  "opengl32.dll",
    "pdh.dll",      "powrprof.dll", "propsys.dll",    "psapi.dll",     "rasapi32.dll",
    "riched20.dll", "rpcrt4.dll",   "secur32.dll",    "setupapi.dll",  "shcore.dll",
    "shell32.dll",  "shfolder.dll", "shlwapi.dll",    "sspicli.dll",   "urlmon.dll",
    "user32.dll",   "userenv.dll",  "usp10.dll",      "uxtheme.dll",   "version.dll",
    "winhttp.dll",  "wininet.dll",  "winmm.dll",      "winscard.dll",  "winspool.drv",
    "wintrust.dll", "wldap32.dll",  "ws2_32.dll",     "wsock32.dll",   "wtsapi32.dll",
    "xmllite.dll",  "combase.dll",  "ucrtbase.dll",   "dinput8.dll",   "dsound.dll",
    "avrt.dll",     "mfplat.dll",   "netutils.dll",   "credui.dll",    "vssapi.dll",
    "wevtapi.dll",  "winusb.dll",   "msftedit.dll",
};

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

bool Shipped(const std::string& name, const std::vector<std::string>& shipped) {
    const std::string lower = AsciiLowerCase(name);
    return std::any_of(shipped.begin(), shipped.end(),
                       [&](const std::string& file) { return AsciiLowerCase(file) == lower; });
}

} // namespace

bool IsWindowsDll(std::string_view name) {
    const std::string lower = AsciiLowerCase(name);
    // API sets name contracts, not files; the loader maps them to whichever DLL implements them.
    if (lower.starts_with("api-ms-win-") || lower.starts_with("ext-ms-"))
        return true;
    return std::find(std::begin(WindowsDlls), std::end(WindowsDlls), lower) !=
           std::end(WindowsDlls);
}

bool IsVisualCppRuntime(std::string_view name) {
    const std::string lower = AsciiLowerCase(name);
    // msvcrt.dll and msvcp_win.dll share the prefixes but are Windows' own.
    if (IsWindowsDll(lower))
        return false;
    for (std::string_view prefix :
         {"vcruntime", "msvcp", "msvcr", "concrt", "vcomp", "mfc", "vccorlib", "ucrtbased"})
        if (lower.starts_with(prefix))
            return true;
    return false;
}

std::string MissingImportsWarning(const std::vector<std::string>& imports,
                                  const std::vector<std::string>& shipped) {
    std::vector<std::string> runtime, others;
    for (const std::string& name : imports)
        if (!IsWindowsDll(name) && !Shipped(name, shipped))
            (IsVisualCppRuntime(name) ? runtime : others).push_back(name);
    if (runtime.empty() && others.empty())
        return {};
    std::string text = "imports ";
    if (!runtime.empty())
        text += Join(runtime) + " of the Visual C++ runtime, which Windows lacks until its "
                                "redistributable is installed";
    if (!others.empty())
        text += (runtime.empty() ? "" : ", and ") + Join(others) +
                ", which neither Windows nor the package provides";
    return text + ": a trader without " + (runtime.size() + others.size() == 1 ? "it" : "them") +
           " sees error 126 when MetaTrader loads the DLL (ship " +
           (runtime.size() + others.size() == 1 ? "it" : "them") +
           " beside the DLL, or link the runtime statically)";
}

} // namespace ko
