#include "builder/nearest_name.h"

#include "base/ascii_text.h"

#include <algorithm>
#include <vector>

namespace ko {

namespace {

// Edits that turn A into B: insertions, deletions, replacements and swaps of two neighbouring
// characters, the commonest slip of a typist.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

} // namespace

std::string NearestName(std::string_view word, const std::set<std::string>& known) {
    const std::string lower = AsciiLowerCase(std::string(word));
    const size_t limit = std::max<size_t>(1, lower.size() / 3);
    std::string best;
    size_t bestDistance = limit + 1;
    bool tied = false;
    for (const std::string& name : known) {
        const size_t distance = EditDistance(lower, AsciiLowerCase(name));
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
            tied = false;
        } else if (distance == bestDistance)
            tied = true;
    }
    return bestDistance <= limit && !tied ? best : std::string();
}

} // namespace ko
