#include "engine/expert_settings.h"

#include "base/file_stream.h"
#include "engine/file_utils.h"

#include <vector>

namespace ko {

namespace {

// Where option 1 to 8 keeps its byte: the terminal's own layout, not in ascending order. Each is
// the low byte of a 4-byte slot whose other bytes are left alone.
constexpr int OptionOffsets[8] = {4, 8, 12, 36, 40, 20, 24, 28};

constexpr uint32_t NewFileHeader = 400;

} // namespace

void OverrideExpertSettings(TKoInstall& data, const std::string& terminalFolder,
                            TFileTransaction& transaction) {
    std::string& options = data.ExpertOptions;
    while (options.size() < 8)
        options += ' ';
    const std::string path = IncludeTrailingDelimiter(terminalFolder) + "config\\experts.ini";
    transaction.EnsureFolder(ExtractFilePath(path));

    // The terminal keeps more than the options in the file (the addresses the trader allowed
    // for web requests, after the record): all of it is written back as it was.
    std::vector<uint8_t> record;
    if (FileExists(path)) {
        // In another user's profile only their own plain file is read, never one it links to.
        const std::unique_ptr<TFileStream> input = transaction.Guard().OpenRead(path);
        record.resize(static_cast<size_t>(input->Size()));
        record.resize(static_cast<size_t>(input->ReadFully(record.data(), int64_t(record.size()))));
    } else {
        record.resize(4);
        PutLE32(record.data(), NewFileHeader);
    }
    if (record.size() < ExpertSettingsSize)
        record.resize(ExpertSettingsSize);
    for (int i = 0; i < 8; ++i) {
        const char c = options[static_cast<size_t>(i)];
        if (c != ' ')
            record[OptionOffsets[i]] = c == '1' ? 1 : 0;
    }
    ClearReadOnly(path);
    transaction.WriteStream(path, [&record](TFileStream& output) {
        output.WriteBuffer(record.data(), int64_t(record.size()));
    });
}

} // namespace ko
