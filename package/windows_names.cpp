#include "package/windows_names.h"

#include "base/ascii_text.h"
#include "base/codepage.h"
#include "markup/parser.h"

#include <algorithm>
#include <array>

namespace ko {

namespace {

bool IsForbidden(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
}

bool IsOnly(std::string_view text, std::string_view characters) {
    return text.find_first_not_of(characters) == std::string_view::npos;
}

// The device name that Name stands for, or empty. Windows reads "con.txt" and "CON " as the
// console too: the part before the first dot counts, without its trailing blanks.
std::string DeviceName(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = AsciiUpper(c);
    static constexpr std::array<std::string_view, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : plain)
        if (base == device)
            return base;
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
        base[3] >= '1' && base[3] <= '9')
        return base;
    return {};
}

} // namespace

std::string NameProblem(std::string_view name) {
    if (name.empty())
        return "is empty";
    if (IsOnly(name, " "))
        return "is blank";
    if (name == "." || name == "..")
        return "names a folder, not a file or folder of its own";
    for (char c : name)
        if (IsForbidden(c))
            return "holds character " + DescribeCharacter(static_cast<unsigned char>(c)) +
                   ", which Windows does not allow in names";
    if (name.back() == '.' || name.back() == ' ')
        return std::string("ends in a ") + (name.back() == '.' ? "dot" : "blank") +
               ", which Windows drops from names";
    if (const std::string device = DeviceName(name); !device.empty())
        return "is the device name " + device + ", which Windows reserves";
    return {};
}

std::string SafeName(std::string_view name) {
    if (IsOnly(name, ". "))
        return "_";
    std::string safe(name);
    for (char& c : safe)
        if (IsForbidden(c))
            c = '_';
    return DeviceName(safe).empty() ? safe : "_" + safe;
}

std::string SafeRelativePath(std::string_view path) {
    std::string safe;
    while (!path.empty()) {
        const size_t end = std::min(path.find_first_of("\\/"), path.size());
        const std::string_view part = path.substr(0, end);
        if (!IsOnly(part, ". "))
            safe += (safe.empty() ? "" : "\\") + SafeName(part);
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return safe.empty() ? "_" : safe;
}

std::optional<std::u16string> ShownProductName(std::u16string_view productName) {
    markup::TDefaultParser parser;
    const std::u16string shown = markup::ShownText(parser.Parse(productName)->Root());
    if (shown == productName)
        return std::nullopt;
    std::u16string text;
    for (char16_t c : shown)
        if (c > u' ')
            text += c;
        else if (!text.empty() && text.back() != u' ')
            text += u' ';
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
}

std::string FolderNameOf(std::string_view productName) {
    // Tags and entities are ASCII, so the bytes pass through the parser one character each,
    // whatever the code page, and come back unchanged.
    std::u16string wide;
    for (char c : productName)
        wide += char16_t(static_cast<unsigned char>(c));
    const std::optional<std::u16string> shown = ShownProductName(wide);
    // A plain name is the vendor's own spelling, blanks included: only what Windows cannot
    // keep goes.
    if (!shown) {
        std::string name;
        for (char c : productName)
            if (!IsForbidden(c) && c != '{' && c != '}')
                name += c;
        const size_t last = name.find_last_not_of(". ");
        return last == std::string::npos ? std::string() : name.substr(0, last + 1);
    }
    std::string name;
    for (char16_t c : *shown) {
        const char byte = static_cast<char>(c);
        // Braces stay out: the name becomes the value of {app}, and a later variable would be
        // expanded inside it. Dropping a character Windows forbids may leave two blanks side
        // by side: they become one as well.
        if (byte == ' ') {
            if (!name.empty() && name.back() != ' ')
                name += ' ';
        } else if (!IsForbidden(byte) && byte != '{' && byte != '}') {
            name += byte;
        }
    }
    const size_t first = name.find_first_not_of(". ");
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(". ") - first + 1);
}

std::string ProductFolderName(std::string_view productName) {
    return SafeName(FolderNameOf(productName));
}

} // namespace ko
