#include "builder/platform_files.h"

#include "base/ascii_text.h"
#include "base/file_stream.h"
#include "builder/platform.h"
#include "package/pe_image.h"
#include "package/terminal_platform.h"

#include <cstdio>

namespace ko {

namespace {

// The target below "{metatrader}\", as the vendor sees it in the terminal's folder.
std::string InTerminal(const std::string& target) {
    static constexpr std::string_view Variable = "{metatrader}";
    const size_t at = AsciiLowerCase(target).find(Variable);
    size_t start = at == std::string::npos ? 0 : at + Variable.size();
    while (start < target.size() && (target[start] == '\\' || target[start] == '/'))
        ++start;
    return target.substr(start);
}

std::string DllProblem(TPlatforms platform, const std::filesystem::path& source) {
    const bool mt4 = platform == ForMT4;
    const char* const wanted =
        mt4 ? "MetaTrader 4 loads only 32-bit DLLs" : "MetaTrader 5 loads only 64-bit DLLs";
    if (!std::filesystem::is_regular_file(source))
        return {};
    const std::optional<TPeModule> module = ReadPeFile(source);
    if (!module)
        return std::string("is not a Windows DLL: ") + wanted;
    if (!module->Dll)
        return std::string("is a Windows program, not a DLL: ") + wanted;
    if (module->Machine == (mt4 ? PeMachineI386 : PeMachineAmd64))
        return {};
    if (module->Machine == (mt4 ? PeMachineAmd64 : PeMachineI386))
        return std::string(mt4 ? "is a 64-bit DLL: " : "is a 32-bit DLL: ") + wanted +
               (mt4 ? " (put it under MQL5\\)" : " (put it under MQL4\\)");
    char machine[8];
    std::snprintf(machine, sizeof machine, "%04X", module->Machine);
    return std::string("is a DLL for another processor (machine 0x") + machine + "): " + wanted +
           (mt4 ? " for x86" : " for x64");
}

} // namespace

std::optional<TPeModule> ReadPeFile(const std::filesystem::path& path) {
    try {
        TFileStream file(PathToUtf8(path), TFileMode::OpenRead);
        return ReadPeModule(file);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string PlatformFileWarning(const std::string& target, const std::filesystem::path& source) {
    if (TargetPlatforms(target) != ForBoth || !AsciiLowerCase(target).ends_with(".dll"))
        return {};
    const std::optional<TPeModule> module = ReadPeFile(source);
    if (!module || !module->Dll)
        return {};
    const bool mt4 = module->Machine == PeMachineI386;
    if (!mt4 && module->Machine != PeMachineAmd64)
        return {};
    return InTerminal(target) + (mt4 ? " is a 32-bit DLL" : " is a 64-bit DLL") +
           " that goes to the terminals of MetaTrader 4 and 5 alike, but only MetaTrader " +
           (mt4 ? "4" : "5") + " can load it (put it under " + (mt4 ? "MQL4" : "MQL5") +
           "\\Libraries\\)";
}

std::string CheckPlatformFile(const std::string& target, const std::filesystem::path& source) {
    const TPlatforms platform = TargetPlatforms(target);
    if (platform != ForMT4 && platform != ForMT5)
        return {};
    const std::string lower = AsciiLowerCase(target);
    std::string problem;
    if (lower.ends_with(".dll"))
        problem = DllProblem(platform, source);
    else if (platform == ForMT5 && (lower.ends_with(".ex4") || lower.ends_with(".mq4")))
        problem = "is a MetaTrader 4 program: MetaTrader 5 neither runs .ex4 files nor compiles "
                  ".mq4 ones (put it under MQL4\\)";
    else if (platform == ForMT4 && (lower.ends_with(".ex5") || lower.ends_with(".mq5")))
        problem = "is a MetaTrader 5 program: MetaTrader 4 neither runs .ex5 files nor compiles "
                  ".mq5 ones (put it under MQL5\\)";
    return problem.empty() ? problem : InTerminal(target) + " " + problem;
}

} // namespace ko
