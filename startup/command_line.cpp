#include "startup/command_line.h"

#include "base/ascii_text.h"

namespace ko {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* Accepted(bool uninstall) {
    return uninstall ? "command_line.switches_uninstall" : "command_line.switches_install";
}

// A fault: the key of its text and the argument or switch it names.
struct TFault {
    std::string Key;
    std::string Value;
};

// A folder as the terminal list shows one: no trailing separator, except after a drive ("C:\").
std::string TrimFolder(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

// Applies one argument; returns the fault it has, or nothing.
TFault ApplyArgument(const std::string& arg, bool uninstall, TCommandLine& result) {
    if (arg.empty() || (arg[0] != '/' && arg[0] != '-'))
        return {"command_line.unknown_argument", arg};
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const std::string_view key = std::string_view(name).substr(1);
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? arg.substr(equals + 1) : std::string();
    const bool takesValue =
        SameText(key, "LOG") || SameText(key, "LANG") || (!uninstall && SameText(key, "T"));
    const bool plain = SameText(key, "S") || SameText(key, "?") || SameText(key, "HELP");
    if (!takesValue && !plain)
        return {"command_line.unknown_switch", name};
    if (plain && hasValue)
        return {"command_line.takes_no_value", name};
    if (takesValue && value.empty())
        return {SameText(key, "T")      ? "command_line.needs_folder"
                : SameText(key, "LANG") ? "command_line.needs_language"
                                        : "command_line.needs_file",
                name};
    if (SameText(key, "S"))
        result.Silent = true;
    else if (SameText(key, "T"))
        result.Terminals.push_back(TrimFolder(value));
    else if (SameText(key, "LOG"))
        result.LogFile = value;
    else if (SameText(key, "LANG"))
        result.Language = value;
    else
        result.Help = true;
    return {};
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        std::string arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                arg += line[i];
        }
        args.push_back(std::move(arg));
    }
    if (!args.empty())
        args.erase(args.begin());
    return args;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args, bool uninstall) {
    TCommandLine result;
    for (const std::string& arg : args) {
        TFault fault = ApplyArgument(arg, uninstall, result);
        if (result.ErrorKey.empty()) {
            result.ErrorKey = std::move(fault.Key);
            result.ErrorValue = std::move(fault.Value);
        }
    }
    // Without /S the wizard lists and ticks the folders itself; a /T would be quietly lost.
    if (result.ErrorKey.empty() && !result.Terminals.empty() && !result.Silent)
        result.ErrorKey = "command_line.t_without_s";
    result.Error = ErrorText(result, uninstall, TUiTexts());
    return result;
}

std::string ErrorText(const TCommandLine& commandLine, bool uninstall, const TUiTexts& texts) {
    if (commandLine.ErrorKey.empty())
        return {};
    const std::string& value = commandLine.ErrorValue;
    return texts(
        commandLine.ErrorKey,
        {{"argument", value}, {"switch", value}, {"switches", texts(Accepted(uninstall))}});
}

std::string UsageText(bool uninstall, const TUiTexts& texts) {
    return texts(uninstall ? "usage.uninstall" : "usage.install") + texts("usage.common");
}

} // namespace ko
