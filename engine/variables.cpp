#include "engine/variables.h"

namespace ko {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = Lower(c);
    return text;
}

// Every occurrence of Name in Text (ignoring case) replaced by Value, scanning left to right;
// the inserted values are not scanned again for the same name.
std::string ReplaceAll(const std::string& text, const std::string& name, const std::string& value) {
    if (name.empty())
        return text;
    const std::string lowerText = LowerCase(text), lowerName = LowerCase(name);
    std::string result;
    size_t from = 0;
    for (size_t at; (at = lowerText.find(lowerName, from)) != std::string::npos;
         from = at + name.size())
        result.append(text, from, at - from).append(value);
    return result.append(text, from, std::string::npos);
}

} // namespace

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

void TVariables::Add(const std::string& name, const std::string& value) {
    FEntries.emplace_back(name, value);
}

void TVariables::SetValue(const std::string& name, const std::string& value) {
    for (auto& entry : FEntries)
        if (SameText(entry.first, name)) {
            entry.second = value;
            return;
        }
    Add(name, value);
}

std::string TVariables::Value(const std::string& name) const {
    for (const auto& entry : FEntries)
        if (SameText(entry.first, name))
            return entry.second;
    return {};
}

std::string ExpandPath(const std::string& path, const TVariables& variables) {
    std::string result = path;
    for (const auto& entry : variables.Entries())
        result = ReplaceAll(result, entry.first, variables.Value(entry.first));
    return result;
}

} // namespace ko
