#include "base/log_file.h"

#include "base/errors.h"

namespace ko {

TLogFile::TLogFile(const std::string& path) : FFile(path, TFileMode::Append) {}

void TLogFile::WriteLine(const std::string& line) {
    std::string text;
    text.reserve(line.size() + 2);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
            continue;
        text += line[i] == '\r' || line[i] == '\n' ? ' ' : line[i];
    }
    text += "\r\n";
    // A full disk must not break off an install halfway: the run matters more than its log.
    try {
        FFile.WriteBuffer(text.data(), int64_t(text.size()));
    } catch (const EStreamError&) {
    }
}

} // namespace ko
