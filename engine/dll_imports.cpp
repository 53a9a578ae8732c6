#include "engine/dll_imports.h"

#include "base/ascii_text.h"
#include "base/file_stream.h"
#include "base/path_names.h"
#include "engine/file_utils.h"
#include "engine/sys_folders.h"
#include "package/pe_image.h"

#include <windows.h>

namespace ko {

namespace {

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The system folder a DLL of Machine loads its imports from, as this 32-bit program reaches
// it: System32, which WOW64 redirects to the 32-bit one, for a 32-bit DLL; for a 64-bit DLL the
// real System32 through its alias Sysnative, which only a 32-bit program under 64-bit Windows
// has. "" when there is no such folder here (a 64-bit DLL on 32-bit Windows loads nowhere) or
// it cannot be reached: then nothing is checked, as every import would seem missing.
std::string SystemFolderFor(uint16_t machine) {
    std::string folder;
    if (machine == PeMachineI386)
        folder = GetSystemFolder(sfSystem, false);
    else if (machine == PeMachineAmd64 && IsWow64())
        if (const std::string windows = GetSystemFolder(sfWindows, false); !windows.empty())
            folder = windows + "\\Sysnative";
    return !folder.empty() && DirectoryExists(folder) ? folder : std::string();
}

// Whether the package installs a file named Name (lower case) anywhere.
bool InPackage(const TKoInstall& data, const std::string& name) {
    for (const auto& file : data.Files)
        if (AsciiLowerCase(ExtractFileName(file->Path)) == name)
            return true;
    return false;
}

bool Found(const std::string& name, const std::string& ownFolder, const std::string& system,
           const TKoInstall& data) {
    const std::string lower = AsciiLowerCase(name);
    // Names of API sets are resolved by the loader to whichever DLL implements them.
    if (lower.starts_with("api-ms-win-") || lower.starts_with("ext-ms-"))
        return true;
    // An import name is a plain ASCII file name; anything else (folders, control characters)
    // is no name this check could look for, nor one to put into the log.
    for (const char c : name)
        if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20 ||
            static_cast<unsigned char>(c) >= 0x7F)
            return true;
    return FileExists(ownFolder + "\\" + name) || FileExists(system + "\\" + name) ||
           InPackage(data, lower);
}

// What the trader can do about a missing import Name of DllName, a DLL built for Machine: the
// Visual C++ runtime has an installer of its own; a MinGW runtime only its vendor ships.
std::string MissingImportAdvice(const std::string& name, const std::string& dllName,
                                uint16_t machine) {
    const std::string lower = AsciiLowerCase(name);
    const char* const bits = machine == PeMachineAmd64 ? "x64" : "x86";
    for (const char* runtime :
         {"vcruntime", "msvcp", "msvcr", "concrt", "vcomp", "mfc", "vccorlib"})
        if (lower.starts_with(runtime))
            return std::string("install the Visual C++ runtime (") + bits + ") that provides it";
    if (lower.starts_with("libgcc_s_") || lower.starts_with("libstdc++") ||
        lower.starts_with("libwinpthread"))
        return "it belongs beside " + dllName + "; ask the vendor for it";
    return "MetaTrader cannot load " + dllName + " without it (error 126)";
}

} // namespace

void TDllImportCheck::Check(TKoRun& run, const TKoInstall& data, const std::string& path) {
    if (!AsciiLowerCase(path).ends_with(".dll"))
        return;
    std::optional<TPeModule> module;
    try {
        TFileStream file(path, TFileMode::OpenRead);
        module = ReadPeModule(file);
    } catch (const std::exception&) {
        return;
    }
    if (!module || !module->Dll)
        return;
    const std::string system = SystemFolderFor(module->Machine);
    if (system.empty())
        return;
    const std::string dllName = ExtractFileName(path);
    const std::string ownFolder = ExtractFileDir(path);
    for (const std::string& name : module->Imports) {
        if (Found(name, ownFolder, system, data))
            continue;
        const std::string key =
            AsciiLowerCase(dllName + "|" + name) + "|" + std::to_string(module->Machine);
        if (FReported.insert(key).second)
            run.Report("WARNING: " + dllName + " needs " + name + ", which this computer lacks: " +
                           MissingImportAdvice(name, dllName, module->Machine),
                       0);
    }
}

} // namespace ko
