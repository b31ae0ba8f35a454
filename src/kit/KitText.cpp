// The kit checker's wording and its "did you mean" for slips.
#include "kit/KitText.h"

#include <algorithm>
#include <optional>

namespace vandrel::kit {
namespace {

// The closest of the candidates to word, when it is close enough to be a slip.
std::optional<std::string> closest(std::string_view word, const std::vector<std::string>& candidates) {
    std::optional<std::string> best;
    size_t bestDistance = std::max<size_t>(2, word.size() / 3) + 1;
    for (const std::string& c : candidates) {
        const size_t d = editDistance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

} // namespace

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string sectionLabel(std::string_view section) {
    return section.empty() ? "the top of the manifest" : "[" + std::string(section) + "]";
}

std::string didYouMean(std::string_view word, const std::vector<std::string>& candidates) {
    const std::optional<std::string> best = closest(word, candidates);
    return best ? "; did you mean " + inQuotes(*best) + "?" : std::string();
}

size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace vandrel::kit
