#include "package/language_records.h"

#include "package/format.h"
#include "package/scramble.h"

namespace ko {

using namespace format;

void WriteLanguageList(TTagStreamAdapter& writer, int32_t tag, const TKoLanguage& language,
                       bool withDocuments) {
    const auto text = [&writer](int32_t id, const std::string& value) {
        writer.WriteString(id, EncodeString(value));
    };
    writer.WriteTag(tag, ttList);
    text(lgTag, language.Tag);
    text(lgName, language.Name);
    for (const auto& [key, value] : language.Texts) {
        text(lgKey, key);
        text(lgValue, value);
    }
    if (withDocuments)
        for (const auto& [id, document] : {std::pair{lgLicenseText, &language.LicenseText},
                                           std::pair{lgReadmeText, &language.ReadmeText},
                                           std::pair{lgWhatsNewText, &language.WhatsNewText}})
            if (!document->empty())
                text(id, *document);
    writer.WriteTag(TagEnd, 0);
}

void ReadLanguageList(TTagStreamAdapter& reader, std::vector<TKoLanguage>& languages) {
    TKoLanguage language;
    // The key whose value may come next; a pair is only whole with both records in order.
    std::optional<std::string> key;
    while (reader.ReadTag()) {
        if (reader.TagType != ttString) {
            reader.SkipValue();
            key.reset();
            continue;
        }
        std::string value = DecodeString(reader.ReadString());
        switch (reader.Tag) {
        case lgTag:
            language.Tag = std::move(value);
            break;
        case lgName:
            language.Name = std::move(value);
            break;
        case lgKey:
            key = std::move(value);
            continue;
        case lgValue:
            if (key)
                language.Texts[*key] = std::move(value);
            break;
        case lgLicenseText:
            language.LicenseText = std::move(value);
            break;
        case lgReadmeText:
            language.ReadmeText = std::move(value);
            break;
        case lgWhatsNewText:
            language.WhatsNewText = std::move(value);
            break;
        default:
            break;
        }
        key.reset();
    }
    if (!language.Tag.empty())
        languages.push_back(std::move(language));
}

} // namespace ko
