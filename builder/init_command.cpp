#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/platform.h"

#include <fstream>

namespace ko {

namespace {

const char* const Manifest = R"(# Product manifest, written by "kosetup init". It builds as it is:
#
#   kosetup build product.toml -o Setup.exe
#
# Change the names and texts, put your files under MQL4/ and your licence into license.rtf.
# "kosetup check product.toml" reports every mistake at once; "kosetup build --help" lists
# every key. Paths of source files are relative to this file's folder; texts are UTF-8 and
# are converted to the code page below.

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

# Every file under MQL4/ goes into the MQL4 folder of each MetaTrader 4 terminal the user
# chooses, in the same sub-folders (Experts, Indicators, Libraries...). Hidden files,
# Thumbs.db and desktop.ini stay out; exclude leaves out more.
[[file]]
source = "MQL4/**"
target = '{metatrader}\MQL4\'
exclude = ["*.bak"]
)";

const char* const License = R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\fs20
{\b Licence agreement}\par
\par
Replace this text with your licence agreement.\par
}
)";

const char* const Expert =
    R"(// Replace this file with your expert advisor (its .mq4 source and its compiled .ex4).
#property strict

int OnInit() { return INIT_SUCCEEDED; }

void OnTick() {}
)";

void Write(const std::filesystem::path& path, const char* text, std::ostream& out) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush())
        throw EBuildError("Cannot write \"" + PathToUtf8(path) + "\"");
    out << PathToUtf8(path) << "\n";
}

} // namespace

int InitCommand(const std::string& dir, std::ostream& out) {
    const std::filesystem::path root = PathFromUtf8(dir);
    const std::filesystem::path manifest = root / "product.toml";
    if (std::filesystem::exists(manifest))
        throw EBuildError("\"" + PathToUtf8(manifest) +
                          "\" exists already; init writes a new product only");
    Write(manifest, Manifest, out);
    Write(root / "license.rtf", License, out);
    Write(root / "MQL4" / "Experts" / "My Expert Advisor.mq4", Expert, out);
    out << "A new product in " << dir << "; build it with: kosetup build " << PathToUtf8(manifest)
        << " -o Setup.exe\n";
    return 0;
}

} // namespace ko
