#include "base/unicode.h"

#include "base/codepage.h"
#include "base/unicode_tables.h"

#include <algorithm>
#include <iterator>

namespace ko {

using detail::CombiningClasses;
using detail::Decompositions;
using detail::TDecomposition;

namespace {

const TDecomposition* FindDecomposition(char32_t c) {
    const auto end = std::end(Decompositions);
    const auto it =
        std::lower_bound(std::begin(Decompositions), end, c,
                         [](const TDecomposition& d, char32_t v) { return d.Composed < v; });
    return it != end && it->Composed == c ? it : nullptr;
}

int CombiningClass(char32_t c) {
    for (const auto& range : CombiningClasses)
        if (c >= range.First && c <= range.Last)
            return range.Class;
    return 0;
}

char32_t Compose(char32_t first, char32_t second) {
    for (const TDecomposition& d : Decompositions)
        if (d.Composes && d.First == first && d.Second == second)
            return d.Composed;
    return 0;
}

void AppendDecomposed(std::u32string& out, char32_t c) {
    if (const TDecomposition* d = FindDecomposition(c)) {
        AppendDecomposed(out, d->First);
        if (d->Second)
            AppendDecomposed(out, d->Second);
    } else {
        out += c;
    }
}

} // namespace

std::u32string Decompose(char32_t character) {
    std::u32string out;
    AppendDecomposed(out, character);
    return out;
}

std::u32string NormalizeNfc(std::u32string_view text) {
    std::u32string chars;
    for (const char32_t c : text)
        AppendDecomposed(chars, c);
    // Canonical order: each run of marks sorted by combining class, keeping equal classes in
    // their order.
    for (size_t i = 0; i < chars.size();) {
        size_t j = i;
        while (j < chars.size() && CombiningClass(chars[j]) != 0)
            ++j;
        std::stable_sort(chars.begin() + i, chars.begin() + j, [](char32_t a, char32_t b) {
            return CombiningClass(a) < CombiningClass(b);
        });
        i = j == i ? i + 1 : j;
    }
    // Composition: a mark joins the last starter unless a mark of the same or a higher class
    // stands between them (it is blocked).
    std::u32string out;
    size_t starter = std::u32string::npos;
    int lastClass = -1;
    for (const char32_t c : chars) {
        const int cls = CombiningClass(c);
        // A last class of 0 means the starter itself is the last character.
        if (starter != std::u32string::npos && (lastClass < cls || lastClass == 0)) {
            if (const char32_t composed = Compose(out[starter], c)) {
                out[starter] = composed;
                continue;
            }
        }
        if (cls == 0) {
            starter = out.size();
            lastClass = 0;
        } else {
            lastClass = cls;
        }
        out += c;
    }
    return out;
}

std::string NormalizeNfcUtf8(std::string_view utf8) {
    std::string out;
    for (const char32_t c : NormalizeNfc(DecodeUtf8(utf8)))
        AppendUtf8(out, c);
    return out;
}

} // namespace ko
