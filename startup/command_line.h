// The stub's command line, for unattended installs and uninstalls by script. Without arguments
// the program is the wizard alone. Portable: the rules are tested natively.
#pragma once

#include "base/ui_texts.h"

#include <string>
#include <string_view>
#include <vector>

namespace ko {

// The process's exit codes.
enum TExitCode : int {
    ExitDone = 0,
    ExitRunFailed = 1,
    ExitBadCommandLine = 2, // also: a package or log that cannot be loaded
    ExitTerminalRunning = 3,
    ExitDoneWithWarnings = 4, // the run ended, but a line of its log starts with "WARNING:"
    // Another Setup or Uninstall of the product is running; Windows Installer's code for the
    // same case, which deployment tools retry on.
    ExitAnotherRun = 1618,
};

struct TCommandLine {
    bool Silent = false;                // /S: no window, no message box
    bool Help = false;                  // /? or /help
    std::vector<std::string> Terminals; // every /T=FOLDER in order, trailing separators removed
    std::string LogFile;                // /LOG=FILE; the last one counts
    std::string Language;               // /LANG=TAG; the last one counts
    // The first fault found, empty when there is none: in English for the log, and as the key
    // of its text with the argument or switch it names, for the user in the chosen language.
    std::string Error;
    std::string ErrorKey;
    std::string ErrorValue;
};

// The arguments of a command line as Windows hands it over (the program's name first, which is
// dropped): separated by blanks or tabs outside double quotes; the quotes only group and are
// removed, so both "/T=C:\My Folder" and /T="C:\My Folder" give one argument. A backslash is
// an ordinary character: folder values end in one often enough.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Reads the arguments: each starts with "/" or "-", names a switch in any letter case and may
// carry a value after "=". The uninstaller accepts no /T. Parsing goes on past a fault, so that
// /S and /LOG still tell how to report it.
TCommandLine ParseCommandLine(const std::vector<std::string>& args, bool uninstall);

// The fault of a command line in Texts' language; empty when there is none.
std::string ErrorText(const TCommandLine& commandLine, bool uninstall, const TUiTexts& texts);

// What /? shows.
std::string UsageText(bool uninstall, const TUiTexts& texts = {});

} // namespace ko
