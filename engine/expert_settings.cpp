#include "engine/expert_settings.h"

#include "base/file_stream.h"
#include "engine/common_ini.h"
#include "engine/file_utils.h"
#include "engine/running_terminal.h"

#include <vector>

namespace ko {

namespace {

// Where option 1 to 8 keeps its byte: the terminal's own layout, not in ascending order. Each is
// the low byte of a 4-byte slot whose other bytes are left alone.
constexpr int OptionOffsets[8] = {4, 8, 12, 36, 40, 20, 24, 28};

constexpr uint32_t NewFileHeader = 400;

// The whole file at Path; in another user's profile only their own plain file is read, never one
// it links to.
std::vector<uint8_t> ReadWhole(TFileTransaction& transaction, const std::string& path) {
    const std::unique_ptr<TFileStream> input = transaction.Guard().OpenRead(path);
    std::vector<uint8_t> bytes(static_cast<size_t>(input->Size()));
    bytes.resize(static_cast<size_t>(input->ReadFully(bytes.data(), int64_t(bytes.size()))));
    return bytes;
}

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
        record = ReadWhole(transaction, path);
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

const char* OverrideCommonIni(const std::string& options, const std::string& path,
                              TFileTransaction& transaction) {
    if (!FileExists(path))
        return "it is missing";
    std::vector<uint8_t> text = ReadWhole(transaction, path);
    static const char* const refusals[] = {nullptr, "it is not UTF-16 with a byte-order mark",
                                           "it has no [Experts] section",
                                           "its [Experts] section lacks a key"};
    if (const char* refusal = refusals[int(SetMt5ExpertOptions(text, options))])
        return refusal;
    // The terminal writes the whole file back when it exits: an edit made while one runs is
    // lost, so the last look comes just before the file is replaced. A read-only file is the
    // trader's choice and stays, as one another program holds does.
    if (!NoMetaTraderRunning(ForMT5))
        return "a MetaTrader 5 terminal is running";
    if (!transaction.WriteStream(
            path,
            [&text](TFileStream& output) { output.WriteBuffer(text.data(), int64_t(text.size())); },
            THeldTarget::Skip))
        return "it is read-only or in use";
    return nullptr;
}

} // namespace ko
