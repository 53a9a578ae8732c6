#include "builder/manifest.h"

#include "base/ascii_text.h"
#include "base/codepage.h"
#include "base/double_byte.h"
#include "builder/build_error.h"
#include "builder/expert_options.h"
#include "builder/nearest_name.h"
#include "builder/platform.h"
#include "builder/toml_guard.h"
#include "package/windows_names.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace ko {

namespace {

constexpr int64_t Int32Max = 0x7FFFFFFF;

int LineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

// Reads the keys of one table, remembering which were asked for, so that a key nobody asked
// for (a typo such as "publsher") is an error rather than silently ignored.
class TTableReader {
public:
    TTableReader(TProblems& problems, const toml::table& table, std::string prefix)
        : FProblems(problems), FTable(table), FPrefix(std::move(prefix)) {}

    // Marks keys as known before any is read, so that a misspelt table is reported before a
    // missing one.
    void Declare(std::initializer_list<std::string_view> keys) {
        for (std::string_view key : keys)
            FKnown.insert(std::string(key));
    }

    const toml::node* Find(std::string_view key, bool required) {
        FKnown.insert(std::string(key));
        const toml::node* node = FTable.get(key);
        if (!node && required)
            FProblems.Add(LineOf(FTable), "missing required key \"" + Field(key) + "\"");
        return node;
    }

    TManifestString String(std::string_view key, bool required = false) {
        TManifestString result{"", Field(key), LineOf(FTable)};
        if (const toml::node* node = Find(key, required)) {
            result.Line = LineOf(*node);
            if (!node->is_string())
                WrongType(*node, key, "a string");
            else
                result.Value = **node->as_string();
            if (required && node->is_string() && result.Value.empty())
                FProblems.Add(result.Line, "field \"" + result.Field + "\" is empty");
        }
        return result;
    }

    std::optional<int64_t> Integer(std::string_view key, int64_t min, int64_t max) {
        const toml::node* node = Find(key, false);
        if (!node)
            return std::nullopt;
        if (!node->is_integer())
            return WrongType(*node, key, "an integer"), std::nullopt;
        const int64_t value = **node->as_integer();
        if (value < min || value > max) {
            FProblems.Add(LineOf(*node), "field \"" + Field(key) + "\" must lie between " +
                                             std::to_string(min) + " and " + std::to_string(max));
            return std::nullopt;
        }
        return value;
    }

    bool Boolean(std::string_view key) {
        const toml::node* node = Find(key, false);
        if (!node)
            return false;
        if (!node->is_boolean())
            return WrongType(*node, key, "true or false"), false;
        return **node->as_boolean();
    }

    // Names how a known key is written when it is a table, such as "[[file]]", for the hint
    // that follows a misspelt one.
    void DeclareTable(std::string_view key, std::string shown) {
        Declare({key});
        FShown[std::string(key)] = std::move(shown);
    }

    void RejectUnknownKeys() {
        for (auto&& [key, node] : FTable) {
            if (FKnown.count(std::string(key.str())))
                continue;
            std::string message = "unknown key " + Quoted(Field(key.str()));
            if (const std::string nearest = NearestName(key.str(), FKnown); !nearest.empty()) {
                const auto shown = FShown.find(nearest);
                message += "; did you mean " +
                           (shown != FShown.end() ? shown->second : Quoted(nearest)) + "?";
            }
            FProblems.Add(static_cast<int>(key.source().begin.line), message);
        }
    }

    std::string Field(std::string_view key) const {
        return FPrefix.empty() ? std::string(key) : FPrefix + "." + std::string(key);
    }

    void WrongType(const toml::node& node, std::string_view key, const std::string& expected) {
        FProblems.Add(LineOf(node), "field \"" + Field(key) + "\" must be " + expected);
    }

    TProblems& Problems() const { return FProblems; }
    const toml::table& Table() const { return FTable; }

private:
    TProblems& FProblems;
    const toml::table& FTable;
    std::string FPrefix;
    std::set<std::string> FKnown;
    std::map<std::string, std::string> FShown;
};

bool IsInvalidPathChar(unsigned char c) {
    return c < 0x20 ||
           std::string_view("<>:\"|?*{}").find(static_cast<char>(c)) != std::string_view::npos;
}

// Checks the first component: a path variable, or for an external program a drive.
std::string CheckPathStart(const std::string& first, bool allowDrive) {
    if (allowDrive && first.size() == 2 && std::isalpha(static_cast<unsigned char>(first[0])) &&
        first[1] == ':')
        return {};
    const auto& known = PathVariables();
    if (std::find(known.begin(), known.end(), AsciiLowerCase(first)) != known.end())
        return {};
    if (!first.empty() && first.front() == '{')
        return "unknown path variable " + first;
    return "must begin with a path variable such as {app} or {metatrader}";
}

// Refuses Name, what Field becomes on Windows, when it cannot be one file or folder name there.
void CheckWindowsName(TProblems& problems, const TManifestString& field, const std::string& name,
                      const std::string& what) {
    if (const std::string problem = NameProblem(name); !problem.empty())
        problems.Add(field.Line,
                     "field \"" + field.Field + "\": " + what + " \"" + name + "\" " + problem);
}

TManifestString TargetPath(TTableReader& reader, std::string_view key, bool allowDrive,
                           bool allowFolder) {
    TManifestString target = reader.String(key, true);
    if (target.Value.empty())
        return target;
    std::replace(target.Value.begin(), target.Value.end(), '/', '\\');
    const std::string problem = CheckTargetPath(target.Value, allowDrive, allowFolder);
    if (!problem.empty())
        reader.Problems().Add(target.Line, "field \"" + target.Field + "\": path " +
                                               Quoted(target.Value) + " " + problem);
    return target;
}

const toml::table* SubTable(TTableReader& root, std::string_view key) {
    const toml::node* node = root.Find(key, false);
    if (node && !node->is_table())
        root.WrongType(*node, key, "a table ([" + std::string(key) + "])");
    return node ? node->as_table() : nullptr; // null for a value of another type too
}

// A reader of an optional sub-table; a missing one reads as empty.
TTableReader OptionalTable(TTableReader& root, std::string_view key) {
    static const toml::table empty;
    const toml::table* table = SubTable(root, key);
    return TTableReader(root.Problems(), table ? *table : empty, std::string(key));
}

int32_t Int32(TTableReader& reader, std::string_view key, int32_t fallback) {
    return static_cast<int32_t>(reader.Integer(key, 0, Int32Max).value_or(fallback));
}

void ReadProduct(TTableReader& root, TManifest& manifest) {
    const toml::table* table = SubTable(root, "product");
    if (!table) {
        if (!root.Table().get("product"))
            root.Problems().Add(0, "missing table [product]");
        return;
    }
    TTableReader reader(root.Problems(), *table, "product");
    manifest.ProductName = reader.String("name", true);
    // The name may hold markup; the text it shows names the program folder, the menu folder and
    // the registry entry.
    if (const std::string folder = FolderNameOf(manifest.ProductName.Value); folder.empty())
        root.Problems().Add(manifest.ProductName.Line,
                            "field \"product.name\" shows no character that Windows allows in "
                            "folder names, so it names no folder");
    else
        CheckWindowsName(root.Problems(), manifest.ProductName, folder, "folder name");
    manifest.VersionMajor = Int32(reader, "version_major", 1);
    manifest.VersionMinor = Int32(reader, "version_minor", 0);
    manifest.Build = Int32(reader, "build", 0);
    manifest.Release = Int32(reader, "release", 0);
    manifest.Publisher = reader.String("publisher");
    manifest.Website = reader.String("website");
    manifest.Address = reader.String("address");
    manifest.ContactName = reader.String("contact_name");
    manifest.ContactEmail = reader.String("contact_email");
    manifest.Copyright = reader.String("copyright");
    if (!manifest.Website.Value.empty())
        CheckWindowsName(root.Problems(), manifest.Publisher, manifest.Publisher.Value + " Website",
                         "web-site shortcut name");
    reader.RejectUnknownKeys();
}

// [documents], and within it a table per language, [documents.de], whose tag the resolver checks
// against the package's languages.
void ReadDocuments(TTableReader& root, TManifest& manifest) {
    TTableReader reader = OptionalTable(root, "documents");
    manifest.License = reader.String("license");
    manifest.Readme = reader.String("readme");
    manifest.WhatsNew = reader.String("whats_new");
    manifest.Banner = reader.String("banner");
    for (auto&& [key, node] : reader.Table()) {
        const std::string tag(key.str());
        const toml::table* table = node.as_table();
        // A document key given as a table is a mistake of its own, reported with its type.
        if (!table || tag == "license" || tag == "readme" || tag == "whats_new" || tag == "banner")
            continue;
        reader.Declare({tag});
        TTableReader language(root.Problems(), *table, "documents." + tag);
        TManifestDocuments documents;
        documents.Tag = {tag, "documents." + tag, LineOf(*table)};
        documents.License = language.String("license");
        documents.Readme = language.String("readme");
        documents.WhatsNew = language.String("whats_new");
        language.RejectUnknownKeys();
        manifest.LanguageDocuments.push_back(std::move(documents));
    }
    reader.RejectUnknownKeys();
}

// The options given by name go into the positional string, which is what the package holds: true
// sets a position to "1", false to "0"; one left out stays blank, so the terminal keeps what the
// trader chose. A position both the string and a name set is a mistake, even when they agree:
// the vendor changing one would find the other still in force.
void ReadNamedExpertOptions(TTableReader& reader, TManifestString& options) {
    const auto& named = ExpertOptions();
    for (size_t i = 0; i < named.size(); ++i) {
        const toml::node* node = reader.Find(named[i].Key, false);
        if (!node)
            continue;
        if (!node->is_boolean()) {
            reader.WrongType(*node, named[i].Key, "true or false");
            continue;
        }
        if (i < options.Value.size() && options.Value[i] != ' ') {
            reader.Problems().Add(
                LineOf(*node),
                "field " + Quoted(reader.Field(named[i].Key)) + " sets the option that position " +
                    std::to_string(i + 1) + " of \"metatrader.expert_options\" on line " +
                    std::to_string(options.Line) + " sets already; set it in one place only");
            continue;
        }
        if (options.Value.size() <= i)
            options.Value.resize(i + 1, ' ');
        options.Value[i] = **node->as_boolean() ? '1' : '0';
    }
}

void ReadMetaTrader(TTableReader& root, TManifest& manifest) {
    TTableReader reader = OptionalTable(root, "metatrader");
    manifest.ExpertOptions = reader.String("expert_options");
    std::string& options = manifest.ExpertOptions.Value;
    if (options.size() > 8 || options.find_first_not_of("01 ") != std::string::npos)
        root.Problems().Add(manifest.ExpertOptions.Line,
                            "field \"metatrader.expert_options\" must be at most 8 characters, "
                            "each \"1\" (on), \"0\" (off) or a blank (unchanged)");
    ReadNamedExpertOptions(reader, manifest.ExpertOptions);
    reader.RejectUnknownKeys();
}

// The tables of an array of tables such as [[file]].
std::vector<const toml::table*> TableArray(TTableReader& root, std::string_view key) {
    std::vector<const toml::table*> tables;
    const toml::node* node = root.Find(key, false);
    if (!node)
        return tables;
    const toml::array* array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        root.WrongType(*node, key, "a list of tables ([[" + std::string(key) + "]])");
        return tables;
    }
    for (const toml::node& item : *array)
        tables.push_back(item.as_table());
    return tables;
}

// A string or a list of strings, such as exclude = ["*.bak", "Tests/**"].
std::vector<TManifestString> StringList(TTableReader& reader, std::string_view key) {
    std::vector<TManifestString> list;
    const toml::node* node = reader.Find(key, false);
    if (!node)
        return list;
    if (node->is_string())
        return {reader.String(key)};
    const toml::array* array = node->as_array();
    if (!array || !std::all_of(array->begin(), array->end(),
                               [](const toml::node& item) { return item.is_string(); })) {
        reader.WrongType(*node, key, "a string or a list of strings");
        return list;
    }
    for (const toml::node& item : *array)
        list.push_back({**item.as_string(), reader.Field(key), LineOf(item)});
    return list;
}

void ReadFiles(TTableReader& root, TManifest& manifest) {
    for (const toml::table* table : TableArray(root, "file")) {
        TTableReader reader(root.Problems(), *table, "file");
        const size_t before = root.Problems().Count();
        TManifestFile file;
        file.Line = LineOf(*table);
        file.Source = reader.String("source", true);
        file.Target = TargetPath(reader, "target", false, true);
        file.Shortcut = reader.String("shortcut");
        if (!file.Shortcut.Value.empty())
            CheckWindowsName(root.Problems(), file.Shortcut, file.Shortcut.Value, "shortcut name");
        file.Exclude = StringList(reader, "exclude");
        file.CheckNewer = reader.Boolean("check_newer");
        file.NoUninstall = reader.Boolean("no_uninstall");
        file.Sign = reader.Boolean("sign");
        reader.RejectUnknownKeys();
        file.Valid = root.Problems().Count() == before;
        manifest.Files.push_back(std::move(file));
    }
}

uint8_t ReadStage(TTableReader& reader) {
    static const char* const names[] = {"wizard-start", "before-files", "after-files",
                                        "wizard-close"};
    const toml::node* node = reader.Find("stage", true);
    if (!node)
        return 0;
    if (node->is_integer() && **node->as_integer() >= 0 && **node->as_integer() <= 3)
        return static_cast<uint8_t>(**node->as_integer());
    if (node->is_string())
        for (uint8_t i = 0; i < 4; ++i)
            if (**node->as_string() == names[i])
                return i;
    reader.Problems().Add(LineOf(*node),
                          "field \"run.stage\" must be 0 to 3 or one of \"wizard-start\", "
                          "\"before-files\", \"after-files\", \"wizard-close\"");
    return 0;
}

void ReadRuns(TTableReader& root, TManifest& manifest) {
    for (const toml::table* table : TableArray(root, "run")) {
        TTableReader reader(root.Problems(), *table, "run");
        const size_t before = root.Problems().Count();
        TManifestRun run;
        run.Line = LineOf(*table);
        run.Source = reader.String("source");
        run.Path = TargetPath(reader, "path", run.Source.Value.empty(), false);
        run.Title = reader.String("title", true);
        run.Parameters = reader.String("parameters");
        run.Stage = ReadStage(reader);
        reader.RejectUnknownKeys();
        run.Valid = root.Problems().Count() == before;
        manifest.Runs.push_back(std::move(run));
    }
}

void ReadLanguages(TTableReader& root, TManifest& manifest) {
    manifest.HasLanguages = root.Table().get("languages") != nullptr;
    // A single string is a list of one, as elsewhere in the manifest.
    manifest.Languages = StringList(root, "languages");
    manifest.Translations = StringList(root, "translations");
}

void ReadCodePage(TTableReader& root, TManifest& manifest) {
    manifest.CodePage = DefaultCodePage;
    if (const toml::node* node = root.Find("codepage", false)) {
        manifest.CodePageLine = LineOf(*node);
        // Compared whole: 2^32 + 1252 is no code page.
        const int64_t value = node->is_integer() ? **node->as_integer() : 0;
        if (value <= 0 || value > 65535 || !IsSupportedCodePage(static_cast<int>(value)))
            root.Problems().Add(manifest.CodePageLine,
                                "field \"codepage\" must be one of " + SupportedCodePageList());
        else if (IsDoubleByteCodePage(static_cast<int>(value)) &&
                 !CanConvertDoubleByte(static_cast<int>(value)))
            root.Problems().Add(manifest.CodePageLine,
                                "code page " + std::to_string(value) +
                                    " cannot be converted on this system (its C library lacks "
                                    "the conversion)");
        else
            manifest.CodePage = static_cast<int>(value);
    }
}

} // namespace

std::string CheckTargetPath(const std::string& path, bool allowDrive, bool allowFolder) {
    if (HasControlCharacter(path))
        return std::string("holds a control character") + ControlCharacterHint();
    std::vector<std::string> parts;
    std::stringstream stream(path);
    for (std::string part; std::getline(stream, part, '\\');)
        parts.push_back(part);
    if (!path.empty() && path.back() == '\\') {
        if (!allowFolder)
            return "names a folder, not a file";
        parts.push_back("");
    }
    if (std::string problem = CheckPathStart(parts.front(), allowDrive); !problem.empty())
        return problem;
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() && i + 1 < parts.size())
            return "holds an empty folder name";
        if (part == "." || part == "..")
            return "holds a \"" + part + "\" component";
        if (std::any_of(part.begin(), part.end(),
                        [](char c) { return IsInvalidPathChar(static_cast<unsigned char>(c)); }))
            return "holds a character that Windows does not allow in file names";
        if (!part.empty())
            if (const std::string problem = NameProblem(part); !problem.empty())
                return "holds the name \"" + part + "\" that " + problem;
    }
    if (parts.size() < 2 || (parts.size() == 2 && parts[1].empty() && !allowFolder))
        return "names no file below " + parts.front();
    return {};
}

const std::vector<std::string>& PathVariables() {
    static const std::vector<std::string> names = {"{app}",       "{bootdir}",     "{windir}",
                                                   "{winsysdir}", "{mydocuments}", "{desktop}",
                                                   "{temp}",      "{metatrader}"};
    return names;
}

TManifest ParseManifest(std::string_view text, const std::string& fileName,
                        const std::filesystem::path& baseDir) {
    TManifest manifest;
    manifest.FileName = fileName;
    manifest.BaseDir = baseDir;
    manifest.Problems = TProblems(fileName);
    // toml++ misreads some text; such a manifest is not handed to it at all.
    std::string ascii;
    if (const auto unsafe = ToAsciiToml(text, ascii)) {
        manifest.Problems.Add(unsafe->Line, unsafe->Message);
        return manifest;
    }
    toml::table document;
    try {
        document = toml::parse(ascii, fileName);
    } catch (const toml::parse_error& error) {
        const auto& where = error.source().begin;
        manifest.Problems.Add(static_cast<int>(where.line), static_cast<int>(where.column),
                              TomlErrorMessage(error.description()));
        return manifest;
    }
    manifest.Parsed = true;
    TTableReader root(manifest.Problems, document, "");
    root.Declare({"codepage", "languages", "translations"});
    for (const char* table : {"product", "documents", "metatrader"})
        root.DeclareTable(table, "[" + std::string(table) + "]");
    for (const char* array : {"file", "run"})
        root.DeclareTable(array, "[[" + std::string(array) + "]]");
    root.RejectUnknownKeys();
    ReadCodePage(root, manifest);
    ReadLanguages(root, manifest);
    ReadProduct(root, manifest);
    ReadDocuments(root, manifest);
    ReadMetaTrader(root, manifest);
    ReadFiles(root, manifest);
    ReadRuns(root, manifest);
    return manifest;
}

TManifest LoadManifest(const std::string& fileName) {
    const std::filesystem::path path = PathFromUtf8(fileName);
    std::ifstream file(path, std::ios::binary);
    const int error = errno;
    std::string why;
    if (!file || std::filesystem::is_directory(path))
        why = "cannot open the manifest: " + UnreadableReason(path, error);
    std::stringstream text;
    if (why.empty()) {
        text << file.rdbuf();
        if (file.bad())
            why = "cannot read the manifest";
    }
    if (!why.empty()) {
        TManifest manifest;
        manifest.FileName = fileName;
        manifest.Problems = TProblems(fileName);
        manifest.Problems.Add(0, why);
        return manifest;
    }
    return ParseManifest(text.str(), fileName, path.parent_path());
}

} // namespace ko
