// String and geometry helpers shared by the parser, the layout and the hit tests.
#pragma once

#include "markup/markup_types.h"

#include <string>
#include <string_view>

namespace ko::markup {

// Base of the classes that only offer class-level operations.
class TStaticObject {
public:
    TStaticObject() = delete;
};

// All comparisons are case-sensitive.
class TStringTools : public TStaticObject {
public:
    // The text without its CR LF pairs; a lone CR or LF stays.
    static std::u16string RemoveLineBreaks(std::u16string_view text);
    // Replaces the first occurrence of Old by New until none is left; true when anything was
    // replaced. An empty Old replaces nothing.
    static bool ReplaceAll(std::u16string_view oldText, std::u16string_view newText,
                           std::u16string& text);
    static bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
        return text.starts_with(prefix);
    }
    static bool EndsWith(std::u16string_view text, std::u16string_view suffix) {
        return text.ends_with(suffix);
    }
    // The text with every entity of the markup decoded.
    static std::u16string DecodeEntities(std::u16string text);
};

class TGraphicTools : public TStaticObject {
public:
    // All four bounds count as inside.
    static bool PointInRect(const TRect& rect, TPoint point) {
        return rect.Left <= point.X && point.X <= rect.Right && rect.Top <= point.Y &&
               point.Y <= rect.Bottom;
    }
};

struct TEntity {
    std::u16string_view Name;
    std::u16string_view Value;
};

// The whole set of entities, in the order they are decoded.
inline constexpr TEntity Entities[] = {{u"&lt;", u"<"}, {u"&gt;", u">"}};

// An ordered list of rectangles.
class TRectList {
public:
    void Add(const TRect& rect) { FItems.push_back(rect); }
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    const TRect& operator[](int index) const { return FItems.at(size_t(index)); }

private:
    TRectArray FItems;
};

} // namespace ko::markup
