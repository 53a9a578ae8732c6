#include "engine/variables.h"

#include "base/ascii_text.h"

namespace ko {

namespace {

// Every occurrence of Name in Text (ignoring case) replaced by Value, scanning left to right;
// the inserted values are not scanned again for the same name.
std::string ReplaceAll(const std::string& text, const std::string& name, const std::string& value) {
    if (name.empty())
        return text;
    const std::string lowerText = AsciiLowerCase(text), lowerName = AsciiLowerCase(name);
    std::string result;
    size_t from = 0;
    for (size_t at; (at = lowerText.find(lowerName, from)) != std::string::npos;
         from = at + name.size())
        result.append(text, from, at - from).append(value);
    return result.append(text, from, std::string::npos);
}

} // namespace

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
