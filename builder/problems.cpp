#include "builder/problems.h"

#include <algorithm>
#include <cstdio>

namespace ko {

namespace {

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

EManifestError::EManifestError(std::vector<std::string> problems)
    : EBuildError(Join(problems)), FProblems(std::move(problems)) {}

std::string TProblems::Where(int line) const {
    return line > 0 ? FFileName + ":" + std::to_string(line) : FFileName;
}

void TProblems::Add(int line, const std::string& message) {
    FErrors.emplace_back(line, Where(line) + ": " + message);
}

void TProblems::Add(int line, int column, const std::string& message) {
    FErrors.emplace_back(line, Where(line) + ":" + std::to_string(column) + ": " + message);
}

void TProblems::Warn(int line, const std::string& message) {
    FWarnings.push_back(Where(line) + ": warning: " + message);
}

void TProblems::Include(int line, const TProblems& other) {
    for (const auto& [otherLine, text] : other.FErrors)
        FErrors.emplace_back(line, text);
    FWarnings.insert(FWarnings.end(), other.FWarnings.begin(), other.FWarnings.end());
}

void TProblems::ThrowIfAny() const {
    if (FErrors.empty())
        return;
    std::vector<std::pair<int, std::string>> sorted = FErrors;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> lines;
    for (auto& [line, text] : sorted)
        lines.push_back(std::move(text));
    throw EManifestError(std::move(lines));
}

std::string Quoted(std::string_view text) {
    std::string result = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            result += "\\t";
        else if (c == '\n')
            result += "\\n";
        else if (c == '\r')
            result += "\\r";
        else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            result += escape;
        } else
            result += c;
    }
    return result + "\"";
}

bool HasControlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

const char* ControlCharacterHint() {
    return " (in a double-quoted TOML string a backslash starts an escape, so \"\\t\" is a tab: "
           "write Windows paths in single quotes, such as '{app}\\tools\\x.exe')";
}

std::string TomlErrorMessage(std::string_view description) {
    std::string message(description);
    if (message.find("escape sequence") != std::string::npos)
        message += " (in a double-quoted TOML string a backslash starts an escape: write Windows "
                   "paths in single quotes, such as '{metatrader}\\MQL4\\Experts\\EA.ex4')";
    return message;
}

} // namespace ko
