#include "builder/json_writer.h"

#include <cstdio>
#include <string>

namespace ko {

void TJsonWriter::BeforeValue() {
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (!FOpen.empty()) {
        FOut << (FFirst ? "\n" : ",\n") << std::string(FOpen.size() * 2, ' ');
        FFirst = false;
    }
}

void TJsonWriter::Open(char bracket) {
    BeforeValue();
    FOut << bracket;
    FOpen.push_back(bracket == '{' ? '}' : ']');
    FFirst = true;
}

void TJsonWriter::End() {
    const char bracket = FOpen.back();
    FOpen.pop_back();
    if (!FFirst)
        FOut << "\n" << std::string(FOpen.size() * 2, ' ');
    FOut << bracket;
    FFirst = false;
    if (FOpen.empty())
        FOut << "\n";
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    BeforeValue();
    Quote(key);
    FOut << ": ";
    FAfterKey = true;
    return *this;
}

void TJsonWriter::String(std::string_view utf8) {
    BeforeValue();
    Quote(utf8);
}

void TJsonWriter::Number(int64_t value) {
    BeforeValue();
    FOut << value;
}

void TJsonWriter::Boolean(bool value) {
    BeforeValue();
    FOut << (value ? "true" : "false");
}

void TJsonWriter::Null() {
    BeforeValue();
    FOut << "null";
}

void TJsonWriter::Quote(std::string_view text) {
    FOut << '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            FOut << '\\' << c;
        else if (c == '\n')
            FOut << "\\n";
        else if (c == '\t')
            FOut << "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            FOut << escape;
        } else
            FOut << c;
    }
    FOut << '"';
}

} // namespace ko
