#include "builder/toml_guard.h"

#include <string>

namespace ko {

namespace {

enum class TState { Code, Comment, Basic, Literal, MultiBasic, MultiLiteral };

bool NonAscii(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

} // namespace

std::optional<TUnsafeText> FindUnsafeText(std::string_view text) {
    TState state = TState::Code;
    int line = 1;
    // The last character outside strings that was not blank: a quote opens a string only where
    // a key or a value begins, elsewhere it is part of a bare word.
    char last = '\n';
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            last = '\n';
            // A newline ends every single-line construct; the parser reports what is unclosed.
            if (state != TState::MultiBasic && state != TState::MultiLiteral)
                state = TState::Code;
            continue;
        }
        switch (state) {
        case TState::Code:
            if (NonAscii(c))
                return TUnsafeText{line, "a non-ASCII character outside a string or comment"};
            if (c == '#') {
                state = TState::Comment;
            } else if ((c == '"' || c == '\'') &&
                       std::string_view("\n=[{,.").find(last) != std::string_view::npos) {
                const bool multi = StartsWith(text, i, std::string(3, c));
                if (multi)
                    i += 2;
                last = c;
                state = c == '"' ? (multi ? TState::MultiBasic : TState::Basic)
                                 : (multi ? TState::MultiLiteral : TState::Literal);
            } else if (c != ' ' && c != '\t' && c != '\r') {
                last = c;
            }
            break;
        case TState::Comment:
            break;
        case TState::Basic:
        case TState::MultiBasic:
            if (c == '\\') {
                // The parser tests what follows a backslash, after any blanks and line ends,
                // for whitespace.
                size_t next = i + 1;
                int lines = 0;
                while (next < text.size() &&
                       std::string_view(" \t\r\n").find(text[next]) != std::string_view::npos)
                    lines += text[next++] == '\n';
                if (next < text.size() && NonAscii(text[next]))
                    return TUnsafeText{line + lines,
                                       "a non-ASCII character right after a backslash"};
                if (next == i + 1)
                    ++i; // an escaped character, which may be a quote
            } else if (state == TState::Basic ? c == '"' : StartsWith(text, i, "\"\"\"")) {
                i += state == TState::Basic ? 0 : 2;
                state = TState::Code;
            }
            break;
        case TState::Literal:
            if (c == '\'')
                state = TState::Code;
            break;
        case TState::MultiLiteral:
            if (StartsWith(text, i, "'''")) {
                i += 2;
                state = TState::Code;
            }
            break;
        }
    }
    return std::nullopt;
}

} // namespace ko
