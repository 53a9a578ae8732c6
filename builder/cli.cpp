#include "builder/cli.h"

#include "base/codepage.h"
#include "builder/build_error.h"
#include "builder/commands.h"

#include <filesystem>
#include <functional>
#include <map>

namespace ko {

namespace {

const char* const MainHelp = R"(Usage: kosetup COMMAND [OPTIONS]

Builds and inspects installers for MetaTrader 4 products.

Commands:
  build MANIFEST -o SETUP.EXE   write an installer from a product manifest
  list FILE                     show what a Setup.exe or Uninstall.exe holds
  extract FILE DIR              write the stored files of a Setup.exe under DIR
  verify FILE                   check that every stored file deciphers

"kosetup COMMAND --help" describes a command. examples/sample-ea/product.toml is a
complete, commented manifest.
Exit codes: 0 success, 1 bad input or a failed check, 2 wrong command line.
)";

const char* const BuildHelp =
    R"(Usage: kosetup build MANIFEST -o SETUP.EXE [--stub PATH] [--key HEX]

Reads the TOML product manifest and writes the installer.
  -o, --output PATH  the installer to write (replaced only when the build succeeds)
  --stub PATH        the installer program to start from (default: stub.exe beside kosetup)
  --key HEX          the file key as 32 hex digits (default: a fresh random key); the same
                     key and sources give a byte-identical installer

Manifest (paths relative to the manifest's folder; * marks required keys):
  codepage = 1252    code page of the installer's texts: 874, 1250 to 1258
  [product]          name*, version_major, version_minor, build, release, publisher,
                     website, address, contact_name, contact_email
  [documents]        license, readme, whats_new (RTF files), banner (JPEG, 160x320)
  [metatrader]       expert_options: up to 8 of "1" on, "0" off, " " unchanged
  [[file]]           source* (a file, or a pattern with * and ? in its name), target*
                     ("{metatrader}\\MQL4\\Experts\\X.ex4"; a folder for a pattern or when it
                     ends in "\\"), shortcut, check_newer, no_uninstall (true/false)
  [[run]]            path*, title*, stage* (0-3: wizard-start, before-files, after-files,
                     wizard-close), parameters, source (a program to store and write to
                     path; without it path names a program already on the computer)
  Path variables: {app} {metatrader} {windir} {winsysdir} {temp} {desktop} {mydocuments}
  {bootdir}. See examples/sample-ea/product.toml.
)";

const char* const ListHelp = R"(Usage: kosetup list FILE [--codepage N]

Prints the header fields and every file and run record of a Setup.exe, or the identity and
the logged folders and files of an Uninstall.exe, as the installer reads them.
  --codepage N   show texts in code page N (874, 1250 to 1258); default: the code page the
                 builder noted in the package, else 1252 (an Uninstall.exe has no note)
)";

const char* const ExtractHelp = R"(Usage: kosetup extract FILE DIR

Deciphers every stored file and program of a Setup.exe into DIR, at a path made from its
target ("{app}\Manual.pdf" becomes DIR/app/Manual.pdf), with its last-write time. Targets
that are absolute or climb out with "..", a package cut short and stored data that is out of
place or does not decipher are refused before anything is written.
)";

const char* const VerifyHelp = R"(Usage: kosetup verify FILE

Checks that the package is whole (its end record, a product name, a key of 16 bytes) and that
every stored record's data lies inside the file behind the records, is a whole number of
16-byte blocks and deciphers to a valid final block. Prints "OK" with counts, or names the
first fault and exits with 1.
)";

// The arguments of one subcommand: positionals and the values of the options it knows.
struct TArguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;
    bool Help = false;
};

// Options maps each accepted spelling ("-o", "--output") to its canonical name.
TArguments Parse(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& options) {
    TArguments result;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            result.Positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            result.Help = true;
        } else {
            std::string value;
            const size_t equals = arg.find('=');
            const bool inlineValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
            if (inlineValue) {
                value = arg.substr(equals + 1);
                arg.resize(equals);
            }
            const auto known = options.find(arg);
            if (known == options.end())
                throw EUsageError("unknown option \"" + arg + "\"");
            if (!inlineValue) {
                if (++i >= args.size())
                    throw EUsageError("option \"" + arg + "\" needs a value");
                value = args[i];
            }
            result.Options[known->second] = value;
        }
    }
    return result;
}

void ExpectPositional(const TArguments& arguments, size_t count, const char* what) {
    if (arguments.Positional.size() != count)
        throw EUsageError(std::string("expected ") + what);
}

std::array<uint8_t, 16> ParseKey(const std::string& hex) {
    if (hex.size() != 32 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw EUsageError("--key needs exactly 32 hex digits, got \"" + hex + "\"");
    std::array<uint8_t, 16> key;
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return key;
}

int ParseCodePage(const std::string& text) {
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !IsSupportedCodePage(value))
        throw EUsageError("--codepage must be one of " + SupportedCodePageList() + ", got \"" +
                          text + "\"");
    return value;
}

int Build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const TArguments a = Parse(
        args, {{"-o", "output"}, {"--output", "output"}, {"--stub", "stub"}, {"--key", "key"}});
    if (a.Help)
        return out << BuildHelp, 0;
    ExpectPositional(a, 1, "one MANIFEST");
    TBuildOptions options;
    options.Manifest = a.Positional[0];
    if (!a.Options.count("output"))
        throw EUsageError("missing -o SETUP.EXE");
    options.Output = a.Options.at("output");
    if (a.Options.count("stub"))
        options.Stub = a.Options.at("stub");
    if (a.Options.count("key"))
        options.Key = ParseKey(a.Options.at("key"));
    return BuildCommand(options, out, err);
}

int List(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {{"--codepage", "codepage"}});
    if (a.Help)
        return out << ListHelp, 0;
    ExpectPositional(a, 1, "one FILE");
    std::optional<int> codePage;
    if (a.Options.count("codepage"))
        codePage = ParseCodePage(a.Options.at("codepage"));
    return ListCommand(a.Positional[0], codePage, out);
}

int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {});
    if (a.Help)
        return out << ExtractHelp, 0;
    ExpectPositional(a, 2, "FILE and DIR");
    return ExtractCommand(a.Positional[0], a.Positional[1], out);
}

int Verify(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {});
    if (a.Help)
        return out << VerifyHelp, 0;
    ExpectPositional(a, 1, "one FILE");
    return VerifyCommand(a.Positional[0], out);
}

using TCommand = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

int Dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    static const std::map<std::string, TCommand> commands = {
        {"build", Build}, {"list", List}, {"extract", Extract}, {"verify", Verify}};
    if (args.empty())
        throw EUsageError("no command given");
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help")
        return out << MainHelp, 0;
    const auto command = commands.find(args[0]);
    if (command == commands.end())
        throw EUsageError("unknown command \"" + args[0] + "\"");
    return command->second(args, out, err);
}

} // namespace

int RunKosetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return Dispatch(args, out, err);
    } catch (const EUsageError& error) {
        const bool known = !args.empty() && (args[0] == "build" || args[0] == "list" ||
                                             args[0] == "extract" || args[0] == "verify");
        err << "kosetup: " << error.what() << "\n"
            << "Run \"kosetup" << (known ? " " + args[0] : "") << " --help\" for usage.\n";
        return 2;
    } catch (const std::exception& error) {
        err << "kosetup: " << error.what() << "\n";
        return 1;
    }
}

} // namespace ko
