#include "builder/build_error.h"
#include "builder/commands.h"
#include "builder/destinations.h"
#include "builder/json_writer.h"
#include "builder/problems.h"
#include "builder/product.h"

namespace ko {

namespace {

// The listing's layout, as "list --json" numbers its own.
constexpr int CheckFormat = 1;

// A problem as data. The builder words each one "FILE:LINE[:COLUMN]: [warning: ]message"; the
// file may hold colons of its own ("C:\x\product.toml"), so its end is the first colon that is
// followed by a line number and another colon. A message without a place (an unreadable file,
// say) has file and line null.
void Problem(TJsonWriter& json, const std::string& text) {
    size_t fileEnd = std::string::npos, at = 0;
    long line = 0, column = 0;
    for (size_t colon = text.find(':'); colon != std::string::npos;
         colon = text.find(':', colon + 1)) {
        size_t digits = colon + 1;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        if (digits == colon + 1 || digits >= text.size() || text[digits] != ':' || colon == 0)
            continue;
        fileEnd = colon;
        line = std::stol(text.substr(colon + 1, digits - colon - 1));
        at = digits + 1;
        size_t next = at;
        while (next < text.size() && text[next] >= '0' && text[next] <= '9')
            ++next;
        if (next > at && next < text.size() && text[next] == ':') {
            column = std::stol(text.substr(at, next - at));
            at = next + 1;
        }
        break;
    }
    if (at < text.size() && text[at] == ' ')
        ++at;
    constexpr std::string_view Warning = "warning: ";
    if (text.compare(at, Warning.size(), Warning) == 0)
        at += Warning.size();
    json.BeginObject();
    if (fileEnd == std::string::npos) {
        json.Key("file").Null();
        json.Key("line").Null();
    } else {
        json.Key("file").String(text.substr(0, fileEnd));
        json.Key("line").Number(line);
    }
    if (column > 0)
        json.Key("column").Number(column);
    else
        json.Key("column").Null();
    json.Key("message").String(text.substr(at));
    json.End();
}

void Problems(TJsonWriter& json, const char* key, const std::vector<std::string>& texts) {
    json.Key(key).BeginArray();
    for (const std::string& text : texts)
        Problem(json, text);
    json.End();
}

} // namespace

int CheckJson(const std::string& manifestFile, std::ostream& out) {
    std::vector<std::string> errors, warnings;
    std::optional<TPackageContent> content;
    try {
        const TManifest manifest = LoadManifest(manifestFile);
        content = ResolveManifest(manifest, {}, warnings);
    } catch (const EManifestError& error) {
        errors = error.Problems();
    } catch (const EBuildError& error) {
        errors.push_back(error.what());
    }
    TJsonWriter json(out);
    json.BeginObject();
    json.Key("format").Number(CheckFormat);
    json.Key("manifest").String(manifestFile);
    json.Key("ok").Boolean(errors.empty());
    Problems(json, "errors", errors);
    Problems(json, "warnings", warnings);
    if (content) {
        json.Key("files").Number(int64_t(content->Files.size()));
        json.Key("run_items").Number(int64_t(content->Execs.size()));
        json.Key("content_bytes").Number(TotalContentBytes(*content));
        json.Key("destinations").BeginArray();
        for (const std::string& line : DestinationSummary(*content))
            json.String(line);
        json.End();
    } else {
        for (const char* key : {"files", "run_items", "content_bytes", "destinations"})
            json.Key(key).Null();
    }
    json.End();
    return errors.empty() ? 0 : 1;
}

} // namespace ko
