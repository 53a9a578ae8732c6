#include "engine/variables.h"

#include "base/ascii_text.h"
#include "base/errors.h"
#include "base/path_names.h"

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

// The first "{...}" of Path (to its end when unclosed) that names no entry with a value; "" when
// there is none.
std::string UnsetVariable(const std::string& path, const TVariables& variables) {
    for (size_t open = path.find('{'); open != std::string::npos; open = path.find('{', open + 1)) {
        const size_t close = path.find('}', open);
        const std::string name =
            path.substr(open, close == std::string::npos ? close : close - open + 1);
        if (variables.Value(name).empty())
            return name;
    }
    return {};
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

std::string ExpandTarget(const std::string& path, const TVariables& variables) {
    const std::string quoted = "The installer cannot write \"" + path + "\": ";
    if (const std::string name = UnsetVariable(path, variables); !name.empty())
        throw EKoError(quoted + name + " stands for no folder here.");
    std::string result = ExpandPath(path, variables);
    if (!IsFullPath(result))
        throw EKoError(quoted + "it becomes \"" + result + "\", which is not a full path.");
    return result;
}

} // namespace ko
