// The mistakes found in a manifest, collected rather than thrown, so that one run of the builder
// reports all of them, each as "FILE:LINE: message" (warnings as "FILE:LINE: warning: message"),
// the form compilers use and editors jump to. A check adds one with the manifest line it
// concerns and goes on with the next value.
#pragma once

#include "builder/build_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace ko {

// Thrown at the end of a check that found mistakes; Problems holds every one in order.
class EManifestError : public EBuildError {
public:
    explicit EManifestError(std::vector<std::string> problems);
    const std::vector<std::string>& Problems() const { return FProblems; }

private:
    std::vector<std::string> FProblems;
};

class TProblems {
public:
    TProblems() = default;
    explicit TProblems(std::string fileName) : FFileName(std::move(fileName)) {}

    // Line 0 stands for the whole file.
    void Add(int line, const std::string& message);
    // A mistake at a column as well, "FILE:LINE:COLUMN: message".
    void Add(int line, int column, const std::string& message);
    void Warn(int line, const std::string& message);

    // Takes the mistakes and warnings of another file (one this file names, which reports its
    // own with its own lines), listing its mistakes with those of Line.
    void Include(int line, const TProblems& other);

    bool Empty() const { return FErrors.empty(); }
    size_t Count() const { return FErrors.size(); }
    const std::vector<std::string>& Warnings() const { return FWarnings; }
    // Throws EManifestError with every mistake when there is one, in the order of their lines
    // (those of one line in the order they were found).
    void ThrowIfAny() const;

private:
    std::string Where(int line) const;

    std::string FFileName;
    std::vector<std::pair<int, std::string>> FErrors;
    std::vector<std::string> FWarnings;
};

// Text in double quotes with control characters written as escapes ("\t", "\x01"), so that a
// message never carries a raw tab, line break or terminal control sequence.
std::string Quoted(std::string_view text);

// True when Text holds a control character; then ControlCharacterHint explains the usual cause:
// a backslash in a double-quoted TOML string starts an escape.
bool HasControlCharacter(std::string_view text);
const char* ControlCharacterHint();
// The TOML parser's message Description, with the hint to write Windows paths in single quotes
// when it is about an escape sequence: the cause of HasControlCharacter's, caught by the parser.
std::string TomlErrorMessage(std::string_view description);

} // namespace ko
