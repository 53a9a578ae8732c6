#include "builder/toml_guard.h"

#include "base/codepage.h"

#include <algorithm>
#include <cstdio>

namespace ko {

namespace {

bool NonAscii(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

class TAsciiWriter {
public:
    TAsciiWriter(std::string_view text, std::string& out) : FText(text), FOut(out) {}

    std::optional<TUnsafeText> Run() {
        FOut.clear();
        while (FPos < FText.size() && !FProblem) {
            const char c = FText[FPos];
            if (c == '#')
                Comment();
            else if (c == '"')
                BasicString();
            else if (c == '\'')
                LiteralString();
            else if (NonAscii(c))
                Fail("a non-ASCII character outside a string or comment");
            else
                Take(1);
        }
        return FProblem;
    }

private:
    bool At(std::string_view what) const { return FText.substr(FPos, what.size()) == what; }

    void Take(size_t count) {
        for (size_t i = 0; i < count && FPos < FText.size(); ++i) {
            FLine += FText[FPos] == '\n';
            FOut += FText[FPos++];
        }
    }

    void Fail(const std::string& message) { FProblem = TUnsafeText{FLine, message}; }

    // One character at FPos, non-ASCII, as the escape a basic string reads as that character.
    void Escape() {
        const TUtf8Char c = DecodeUtf8Char(FText, FPos);
        if (c.CodePoint == 0xFFFD && c.Length == 1)
            return Fail("a malformed UTF-8 sequence");
        char escape[16];
        if (c.CodePoint <= 0xFFFF)
            std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(c.CodePoint));
        else
            std::snprintf(escape, sizeof escape, "\\U%08X", unsigned(c.CodePoint));
        FOut += escape;
        FPos += c.Length;
    }

    void Comment() {
        while (FPos < FText.size() && FText[FPos] != '\n') {
            if (NonAscii(FText[FPos])) {
                FOut += '?';
                ++FPos;
            } else {
                Take(1);
            }
        }
    }

    void BasicString() {
        const bool multi = At("\"\"\"");
        const std::string_view close = multi ? "\"\"\"" : "\"";
        Take(close.size());
        while (FPos < FText.size() && !FProblem && !At(close)) {
            const char c = FText[FPos];
            if (c == '\n' && !multi)
                return; // unclosed: the parser says so
            if (c == '\\') {
                Take(1);
                if (FPos < FText.size() && NonAscii(FText[FPos]))
                    return Fail("a non-ASCII character right after a backslash");
                Take(1); // an escaped character, which may be a quote
            } else if (NonAscii(c)) {
                Escape();
            } else {
                Take(1);
            }
        }
        Take(close.size());
    }

    // A literal string stays as it is unless it holds a non-ASCII character; then it is written
    // as the basic string of the same value.
    void LiteralString() {
        const bool multi = At("'''");
        const std::string_view close = multi ? "'''" : "'";
        const size_t start = FPos + close.size();
        size_t end = FText.find(close, start);
        if (!multi)
            end = std::min(end, FText.find('\n', start));
        if (end == std::string_view::npos)
            end = FText.size();
        const std::string_view content = FText.substr(start, end - start);
        if (std::none_of(content.begin(), content.end(), NonAscii)) {
            Take(end - FPos + (FText.substr(end, close.size()) == close ? close.size() : 0));
            return;
        }
        if (FText.substr(end, close.size()) != close)
            return Fail("a non-ASCII character in an unclosed string");
        FOut += multi ? "\"\"\"" : "\"";
        FPos = start;
        while (FPos < end && !FProblem) {
            const char c = FText[FPos];
            if (NonAscii(c)) {
                Escape();
            } else if (c == '\\' || c == '"') {
                FOut += '\\';
                Take(1);
            } else {
                Take(1);
            }
        }
        FOut += multi ? "\"\"\"" : "\"";
        FPos = end + close.size();
    }

    std::string_view FText;
    std::string& FOut;
    size_t FPos = 0;
    int FLine = 1;
    std::optional<TUnsafeText> FProblem;
};

} // namespace

std::optional<TUnsafeText> ToAsciiToml(std::string_view text, std::string& ascii) {
    return TAsciiWriter(text, ascii).Run();
}

} // namespace ko
