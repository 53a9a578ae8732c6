#include "markup/tools.h"

namespace ko::markup {

std::u16string TStringTools::RemoveLineBreaks(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        else
            result += text[i];
    }
    return result;
}

bool TStringTools::ReplaceAll(std::u16string_view oldText, std::u16string_view newText,
                              std::u16string& text) {
    if (oldText.empty())
        return false;
    // Replacing the first occurrence again and again would never end when New holds Old; then
    // the search goes on after the inserted text. Otherwise a new occurrence can only overlap
    // the inserted text, so searching again a little before it finds the same first occurrence
    // as a search from the beginning, without the quadratic cost.
    const bool selfFeeding = newText.find(oldText) != std::u16string_view::npos;
    bool replaced = false;
    size_t from = 0;
    size_t pos;
    while ((pos = text.find(oldText, from)) != std::u16string::npos) {
        text.replace(pos, oldText.size(), newText);
        replaced = true;
        if (selfFeeding)
            from = pos + newText.size();
        else
            from = pos >= oldText.size() - 1 ? pos - (oldText.size() - 1) : 0;
    }
    return replaced;
}

std::u16string TStringTools::DecodeEntities(std::u16string text) {
    for (const TEntity& entity : Entities)
        ReplaceAll(entity.Name, entity.Value, text);
    return text;
}

} // namespace ko::markup
