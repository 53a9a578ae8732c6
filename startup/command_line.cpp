#include "startup/command_line.h"

#include "base/ascii_text.h"

namespace ko {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Accepted(bool uninstall) {
    return uninstall ? "/S, /LOG=FILE, /? and /help" : "/S, /T=FOLDER, /LOG=FILE, /? and /help";
}

// A folder as the terminal list shows one: no trailing separator, except after a drive ("C:\").
std::string TrimFolder(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

// Applies one argument; returns the fault it has, or nothing.
std::string ApplyArgument(const std::string& arg, bool uninstall, TCommandLine& result) {
    if (arg.empty() || (arg[0] != '/' && arg[0] != '-'))
        return "Unknown argument \"" + arg + "\". The accepted switches are " +
               Accepted(uninstall) + ".";
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const std::string_view key = std::string_view(name).substr(1);
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? arg.substr(equals + 1) : std::string();
    const bool takesValue = SameText(key, "LOG") || (!uninstall && SameText(key, "T"));
    const bool plain = SameText(key, "S") || SameText(key, "?") || SameText(key, "HELP");
    if (!takesValue && !plain)
        return "Unknown switch \"" + name + "\". The accepted switches are " + Accepted(uninstall) +
               ".";
    if (plain && hasValue)
        return "The switch \"" + name + "\" takes no value.";
    if (takesValue && value.empty())
        return "The switch \"" + name + "\" needs a value: " + name +
               (SameText(key, "T") ? "=FOLDER." : "=FILE.");
    if (SameText(key, "S"))
        result.Silent = true;
    else if (SameText(key, "T"))
        result.Terminals.push_back(TrimFolder(value));
    else if (SameText(key, "LOG"))
        result.LogFile = value;
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
        std::string fault = ApplyArgument(arg, uninstall, result);
        if (result.Error.empty())
            result.Error = std::move(fault);
    }
    // Without /S the wizard lists and ticks the folders itself; a /T would be quietly lost.
    if (result.Error.empty() && !result.Terminals.empty() && !result.Silent)
        result.Error = "The switch /T works only together with /S.";
    return result;
}

std::string UsageText(bool uninstall) {
    std::string text =
        uninstall ? "Uninstall.exe [/S] [/LOG=FILE]\r\n\r\n"
                    "/S\tuninstall without any window or message\r\n"
                  : "Setup.exe [/S] [/T=FOLDER]... [/LOG=FILE]\r\n\r\n"
                    "/S\tinstall without any window or message; the licence agreement counts "
                    "as accepted by whoever runs the command\r\n"
                    "/T=FOLDER\twith /S: install into this MetaTrader folder instead of the "
                    "terminals found; may be given more than once\r\n";
    text += "/LOG=FILE\tappend every line of the run to FILE\r\n"
            "/? or /help\tthis text\r\n\r\n"
            "Switches may start with / or - and are read in any letter case; put a value "
            "with blanks in double quotes.\r\n"
            "Exit codes: 0 done, 1 the run failed, 2 a bad command line or a package that "
            "cannot be loaded, 3 a MetaTrader terminal is running.";
    return text;
}

} // namespace ko
