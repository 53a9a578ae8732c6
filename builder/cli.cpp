#include "builder/cli.h"

#include "base/ascii_text.h"
#include "base/codepage.h"
#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/embedded_stub.h"
#include "builder/platform.h"
#include "builder/problems.h"
#include "package/format.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace ko {

namespace {

const char* const MainHelp = R"(Usage: kosetup COMMAND [OPTIONS]

Builds and inspects installers for MetaTrader 4 and 5 products.

Commands:
  build MANIFEST -o SETUP.EXE   write an installer from a product manifest
  check MANIFEST|DIR            report every mistake of a manifest and its sources
  init DIR [--platforms LIST]   write a new product that builds at once, to start from
  list FILE                     show what a Setup.exe or Uninstall.exe holds
  extract FILE DIR              write the stored files of a Setup.exe under DIR
  verify FILE                   check that every stored file deciphers

"kosetup COMMAND --help" describes a command; "kosetup --version" (-V) names the builder's
version and the stub it carries. examples/sample-ea/product.toml is a
complete, commented manifest.
Exit codes: 0 success, 1 bad input or a failed check, 2 wrong command line.
)";

const char* const BuildHelp =
    R"(Usage: kosetup build MANIFEST -o SETUP.EXE [--stub PATH] [--key HEX] [--quiet]
                     [--sign-command COMMAND]

Reads the TOML product manifest and writes the installer.
  -o, --output PATH  the installer to write (replaced only when the build succeeds)
  --stub PATH        the installer program to start from (default: the stub built into
                     kosetup, see "kosetup --version")
  --key HEX          the file key as 32 hex digits (default: a fresh random key); the same
                     key and sources give a byte-identical installer
  --quiet            no progress lines on stderr (warnings and mistakes are still shown)
  --sign-command COMMAND
                     run COMMAND through the shell on the finished installer before it
                     becomes SETUP.EXE: {in} stands for the installer, {out} for the signed
                     copy a tool writes when it does not sign in place, e.g.
                     "osslsigncode sign -certs c.pem -key k.pem -in {in} -out {out}" or
                     "signtool sign /a {in}". The signed installer must keep its package.
                     It also signs a copy of every file marked sign = true before storing it.

Reproducible builds: with SOURCE_DATE_EPOCH set (seconds since 1970), stored creation and
last-write times later than it become it, and without --key the key is derived from the
content, so that two checkouts of the same sources give the same installer. The derived key
serves reproducibility, not secrecy (no key stored in an installer is secret).

Manifest (paths relative to the manifest's folder; * marks required keys):
  codepage = 1252    code page of the installer's texts: 874, 1250 to 1258, the double-byte
                     932, 936, 949, 950, or 65001 (UTF-8, texts stored as written)
  [product]          name*, version_major, version_minor, build, release, publisher,
                     website, address, contact_name, contact_email, copyright
  [documents]        license, readme, whats_new (RTF files), banner (JPEG, 160x320)
  [metatrader]       the terminal's expert options, by name, each true (on) or false (off),
                     left out to keep the trader's choice: enable_expert_advisors,
                     disable_on_account_change, disable_on_profile_change,
                     allow_live_trading, ask_manual_confirmation, allow_dll_imports,
                     confirm_dll_function_calls, allow_external_experts_imports; or
                     expert_options, the same eight in that order as one string of "1" on,
                     "0" off, " " unchanged (a name and a position for one option: a mistake);
                     MT5 has the 1st and 6th only; the addresses WebRequest may reach are
                     never set: tell the traders which ones to add
  [[file]]           source* (a file, or a pattern: * and ? within names, ** for any depth
                     of folders, whose folders are kept under the target; hidden files,
                     Thumbs.db and desktop.ini are left out unless named), target*
                     ("{metatrader}\\MQL4\\Experts\\X.ex4"; a folder for a pattern or when it
                     ends in "\\"), exclude (a pattern or a list: a name anywhere, or a
                     place with a slash), shortcut, check_newer, no_uninstall (true/false)
  [[run]]            path*, title*, stage* (0-3: wizard-start, before-files, after-files,
                     wizard-close), parameters, source (a program to store and write to
                     path; without it path names a program already on the computer)
  Path variables: {app} {metatrader} {windir} {winsysdir} {temp} {desktop} {mydocuments}
  {bootdir}. See examples/sample-ea/product.toml.
  Targets under {metatrader}\MQL4\ are for MetaTrader 4 (DLLs must be 32-bit x86, no .ex5
  or .mq5), those under {metatrader}\MQL5\ for MetaTrader 5 (DLLs must be x64, no .ex4 or
  .mq4); any other {metatrader} target goes into terminals of both.
)";

const char* const CheckHelp = R"(Usage: kosetup check MANIFEST|DIR [--json]

Reads the manifest (DIR/product.toml for a folder) and every document, banner and source file it names, as "build" does, and
reports every mistake, one a line as FILE:LINE: message; writes nothing. Warnings name what
would likely fail on the trader's computer: a DLL importing one that neither Windows nor the
package provides (error 126, such as the Visual C++ runtime's VCRUNTIME140.dll), a DLL under
{metatrader} outside MQL4\ and MQL5\ that only one platform can load. An unknown key comes
with the nearest known one. The summary says how many files go to MetaTrader 4, MetaTrader 5,
the program folder and elsewhere. Exit code 0 when the manifest would build, 1 when it has
mistakes.

  --json   the result as JSON on standard output: "format" 1, "ok", "errors" and "warnings"
           (each with "file", "line", "column" and "message"; null where a problem has none),
           and the counts and destinations when the manifest would build
)";

const char* const InitHelp = R"(Usage: kosetup init DIR [--platforms mt4|mt5|mt4,mt5]

Writes the start of a new product into DIR: a commented product.toml, a placeholder
license.rtf and an MQL4 folder, an MQL5 folder or both, each with a placeholder expert
advisor. It builds at once; change the names, texts and files to make it yours. A DIR that
holds a product.toml is left alone.
  --platforms LIST   the MetaTrader platforms the product is for (default: mt4); with
                     mt4,mt5 one Setup.exe installs the MQL4 files into MetaTrader 4
                     terminals and the MQL5 files into MetaTrader 5 ones
)";

const char* const ListHelp = R"(Usage: kosetup list FILE [--codepage N] [--json]

Prints the header fields and every file and run record of a Setup.exe, or the identity and
the logged folders and files of an Uninstall.exe, as the installer reads them. Sizes are the
content's bytes with the stored (enciphered, padded) size beside them.
  --codepage N   show texts in code page N (874, 932, 936, 949, 950, 1250 to 1258, 65001);
                 default: the code page the builder noted in the package, else 1252 (an
                 Uninstall.exe has no note)
  --json         the same as one JSON object: product fields, documents, the records'
                 SHA-256 and whether they match it, files with their sizes, times and
                 flags, run items; an uninstaller's entries
)";

const char* const ExtractHelp = R"(Usage: kosetup extract FILE DIR [--documents]

Deciphers every stored file and program of a Setup.exe into DIR, at a path made from its
target ("{app}\Manual.pdf" becomes DIR/app/Manual.pdf), with its last-write time. Targets
that are absolute or climb out with "..", a package cut short and stored data that is out of
place or does not decipher are refused before anything is written.
  --documents    also write the licence, readme and what's-new documents and the banner to
                 DIR/documents (license.rtf, readme.rtf, whats_new.rtf, banner.jpg)
)";

const char* const VerifyHelp = R"(Usage: kosetup verify FILE

Checks that the package is whole (its end record, records that match their SHA-256, a product
name, a key of 16 bytes) and that every stored record's data lies inside the file behind the
records, is a whole number of 16-byte blocks and deciphers to a valid final block. Prints "OK" with counts, or names the
first fault and exits with 1.
)";

// The arguments of one subcommand: positionals and the values of the options it knows.
struct TArguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;
    bool Help = false;
};

// Options maps each accepted spelling ("-o", "--output") to its canonical name; Flags are the
// options that take no value ("--quiet"), which then read as "1".
TArguments Parse(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& options,
                 const std::set<std::string>& flags = {}) {
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
        } else if (flags.count(arg)) {
            result.Options[arg.substr(2)] = "1";
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

std::array<uint8_t, format::KeySize> ParseKey(const std::string& hex) {
    if (hex.size() != 2 * format::KeySize ||
        hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw EUsageError("--key needs exactly 32 hex digits, got \"" + hex + "\"");
    std::array<uint8_t, format::KeySize> key;
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

// SOURCE_DATE_EPOCH as the reproducible-builds convention has it: seconds since 1970, UTC.
std::optional<int64_t> SourceDateEpoch() {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value)
        return std::nullopt;
    const std::string text = value;
    if (text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        throw EUsageError("SOURCE_DATE_EPOCH must be a number of seconds since 1970, got \"" +
                          text + "\"");
    return std::stoll(text);
}

int Build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const TArguments a = Parse(args,
                               {{"-o", "output"},
                                {"--output", "output"},
                                {"--stub", "stub"},
                                {"--key", "key"},
                                {"--sign-command", "sign-command"}},
                               {"--quiet"});
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
    options.Quiet = a.Options.count("quiet") > 0;
    if (a.Options.count("sign-command")) {
        options.SignCommand = a.Options.at("sign-command");
        if (options.SignCommand.find("{in}") == std::string::npos)
            throw EUsageError("--sign-command needs {in} where the installer's name goes");
    }
    options.SourceDateEpoch = SourceDateEpoch();
    return BuildCommand(options, out, err);
}

int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const TArguments a = Parse(args, {}, {"--json"});
    if (a.Help)
        return out << CheckHelp, 0;
    ExpectPositional(a, 1, "one MANIFEST");
    // A product's folder stands for the manifest init writes into it.
    std::string manifest = a.Positional[0];
    if (std::filesystem::is_directory(PathFromUtf8(manifest)))
        manifest = PathToUtf8(PathFromUtf8(manifest) / "product.toml");
    if (a.Options.count("json"))
        return CheckJson(manifest, out);
    return CheckCommand(manifest, out, err);
}

// "mt4", "mt5" or both, comma-separated, in any order and letter case.
TPlatforms ParsePlatforms(const std::string& text) {
    unsigned platforms = NoPlatform;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string name = AsciiLowerCase(text.substr(start, end - start));
        if (name == "mt4")
            platforms |= ForMT4;
        else if (name == "mt5")
            platforms |= ForMT5;
        else
            throw EUsageError("--platforms takes mt4, mt5 or mt4,mt5, not \"" + text + "\"");
        start = end + 1;
    }
    return TPlatforms(platforms);
}

int Init(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {{"--platforms", "platforms"}});
    if (a.Help)
        return out << InitHelp, 0;
    ExpectPositional(a, 1, "one DIR");
    const TPlatforms platforms =
        a.Options.count("platforms") ? ParsePlatforms(a.Options.at("platforms")) : ForMT4;
    return InitCommand(a.Positional[0], platforms, out);
}

int List(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {{"--codepage", "codepage"}}, {"--json"});
    if (a.Help)
        return out << ListHelp, 0;
    ExpectPositional(a, 1, "one FILE");
    std::optional<int> codePage;
    if (a.Options.count("codepage"))
        codePage = ParseCodePage(a.Options.at("codepage"));
    return ListCommand(a.Positional[0], codePage, a.Options.count("json") > 0, out);
}

int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {}, {"--documents"});
    if (a.Help)
        return out << ExtractHelp, 0;
    ExpectPositional(a, 2, "FILE and DIR");
    return ExtractCommand(a.Positional[0], a.Positional[1], a.Options.count("documents") > 0, out);
}

int Verify(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    const TArguments a = Parse(args, {});
    if (a.Help)
        return out << VerifyHelp, 0;
    ExpectPositional(a, 1, "one FILE");
    return VerifyCommand(a.Positional[0], out);
}

int Version(std::ostream& out) {
    out << "kosetup " << KOSETUP_VERSION << "\n";
    const TEmbeddedStub stub = EmbeddedStub();
    if (stub.Size == 0)
        out << "stub: none built in (name one with --stub PATH)\n";
    else
        out << "stub " << (*stub.Version ? stub.Version : "of unknown version") << ", " << stub.Size
            << " bytes, SHA-256 " << stub.Sha256 << "\n";
    return 0;
}

using TCommand = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

const std::map<std::string, TCommand>& Commands() {
    static const std::map<std::string, TCommand> commands = {
        {"build", Build}, {"check", Check},     {"init", Init},
        {"list", List},   {"extract", Extract}, {"verify", Verify}};
    return commands;
}

int Dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::map<std::string, TCommand>& commands = Commands();
    if (args.empty())
        throw EUsageError("no command given");
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help")
        return out << MainHelp, 0;
    if (args[0] == "--version" || args[0] == "-V" || args[0] == "version")
        return Version(out);
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
        const bool known = !args.empty() && Commands().count(args[0]);
        err << "kosetup: " << error.what() << "\n"
            << "Run \"kosetup" << (known ? " " + args[0] : "") << " --help\" for usage.\n";
        return 2;
    } catch (const EManifestError& error) {
        for (const std::string& problem : error.Problems())
            err << problem << "\n";
        const size_t count = error.Problems().size();
        err << "kosetup: " << count << (count == 1 ? " mistake" : " mistakes") << " found\n";
        return 1;
    } catch (const std::exception& error) {
        err << "kosetup: " << error.what() << "\n";
        return 1;
    }
}

} // namespace ko
