#include "script_check/near_match.h"

#include <algorithm>

namespace setup {

namespace {

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool share_a_character(std::string_view a, std::string_view b) {
    for (char c : a)
        for (char d : b)
            if (ascii_lower(c) == ascii_lower(d)) return true;
    return false;
}

}  // namespace

size_t edit_distance(std::string_view a, std::string_view b) {
    // Three rows of the optimal-string-alignment table: the one before last, the last, this.
    std::vector<size_t> before(b.size() + 1), last(b.size() + 1), row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) last[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]);
            row[j] = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && ascii_lower(a[i - 1]) == ascii_lower(b[j - 2]) &&
                ascii_lower(a[i - 2]) == ascii_lower(b[j - 1])) {
                row[j] = std::min(row[j], before[j - 2] + 1);
            }
        }
        std::swap(before, last);
        std::swap(last, row);
    }
    return last[b.size()];
}

std::optional<std::string> nearest(std::string_view word,
                                   const std::vector<std::string>& candidates,
                                   size_t max_distance) {
    std::optional<std::string> best;
    size_t best_distance = max_distance + 1;
    for (const std::string& candidate : candidates) {
        if (!share_a_character(word, candidate)) continue;
        const size_t distance = edit_distance(word, candidate);
        if (distance < best_distance) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace setup
