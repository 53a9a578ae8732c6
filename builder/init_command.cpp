#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/platform.h"

#include <fstream>

namespace ko {

namespace {

const char* const ManifestHead =
    R"(# Product manifest, written by "kosetup init". It builds as it is:
#
#   kosetup build product.toml -o Setup.exe
#
# Change the names and texts, put your files under {folders} and your licence into
# license.rtf. "kosetup check product.toml" reports every mistake at once; "kosetup build
# --help" lists every key. Paths of source files are relative to this file's folder; texts are
# UTF-8 and are converted to the code page below.

# The Windows code page of your customers: 1252 Western European, 1250 Central European,
# 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic, 1257 Baltic,
# 1258 Vietnamese, 874 Thai, 932 Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional
# Chinese; 65001 (UTF-8) holds every script and is read alike on every Windows.
codepage = 1252

[product]
# Required: window titles, the folder under Program Files, the Start menu folder and the entry
# in the list of installed programs take this name.
name = "My Expert Advisor"
version_major = 1
version_minor = 0
build = 0
release = 0
publisher = "My Company"
# A Start menu shortcut to the web site and to the contact address; leave them empty for none.
website = ""
contact_email = ""

[documents]
# RTF documents (7-bit, in the code page above, or UTF-8). The licence page asks the user to
# accept it. Add readme = "readme.rtf" for an information page, whats_new = "whatsnew.rtf" for
# a what's-new page and banner = "banner.jpg" (160 x 320 pixels) for the wizard's picture.
license = "license.rtf"

[metatrader]
# The terminal's expert-advisor options, each true (on) or false (off); one left out stays as
# the trader set it. An expert that calls its DLLs needs this one:
# allow_dll_imports = true
)";

// The file table of one platform; {folder} is MQL4 or MQL5, {n} 4 or 5.
const char* const PlatformFiles = R"(
# Every file under {folder}/ goes into the {folder} folder of each MetaTrader {n} terminal the user
# chooses, in the same sub-folders (Experts, Indicators, Libraries...). Hidden files,
# Thumbs.db and desktop.ini stay out; exclude leaves out more.
# {dll}
[[file]]
source = "{folder}/**"
target = '{metatrader}\{folder}\'
exclude = ["*.bak"]
)";

const char* const License = R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\fs20
{\b Licence agreement}\par
\par
Replace this text with your licence agreement.\par
}
)";

const char* const Expert =
    R"(// Replace this file with your expert advisor (its .mq{n} source and its compiled .ex{n}).
{strict}
int OnInit() { return INIT_SUCCEEDED; }

void OnTick() {}
)";

// Text with every "{name}" of Values replaced.
std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values)
        for (size_t at; (at = text.find("{" + name + "}")) != std::string::npos;)
            text.replace(at, name.size() + 2, value);
    return text;
}

void Write(const std::filesystem::path& path, const std::string& text, std::ostream& out) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush())
        throw EBuildError("Cannot write \"" + PathToUtf8(path) + "\"");
    out << PathToUtf8(path) << "\n";
}

} // namespace

int InitCommand(const std::string& dir, TPlatforms platforms, std::ostream& out) {
    const std::filesystem::path root = PathFromUtf8(dir);
    const std::filesystem::path manifest = root / "product.toml";
    if (std::filesystem::exists(manifest))
        throw EBuildError("\"" + PathToUtf8(manifest) +
                          "\" exists already; init writes a new product only");
    const bool both = platforms == ForBoth;
    std::string text = Fill(ManifestHead, {{"folders", both                  ? "MQL4/ and MQL5/"
                                                       : platforms == ForMT4 ? "MQL4/"
                                                                             : "MQL5/"}});
    for (const TPlatform platform : {TPlatform::MT4, TPlatform::MT5}) {
        if (!(platforms & PlatformFlag(platform)))
            continue;
        const bool mt4 = platform == TPlatform::MT4;
        const std::string n = mt4 ? "4" : "5";
        text += Fill(PlatformFiles,
                     {{"folder", "MQL" + n},
                      {"n", n},
                      {"dll", mt4 ? "MetaTrader 4 loads only 32-bit DLLs: build them for x86."
                                  : "MetaTrader 5 loads only 64-bit DLLs: build them for x64."}});
    }
    Write(manifest, text, out);
    Write(root / "license.rtf", License, out);
    for (const TPlatform platform : {TPlatform::MT4, TPlatform::MT5}) {
        if (!(platforms & PlatformFlag(platform)))
            continue;
        const std::string n = platform == TPlatform::MT4 ? "4" : "5";
        Write(root / ("MQL" + n) / "Experts" / ("My Expert Advisor.mq" + n),
              Fill(Expert, {{"n", n}, {"strict", n == "4" ? "#property strict\n" : ""}}), out);
    }
    out << "A new product in " << dir << "; build it with: kosetup build " << PathToUtf8(manifest)
        << " -o Setup.exe\n";
    return 0;
}

} // namespace ko
