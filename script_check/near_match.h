#pragma once
// Suggestions for misspelt names: "did you mean '1a'?".
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The number of single-character insertions, deletions, substitutions and swaps of two
// neighbours that turn `a` into `b`, ASCII letters compared without regard to case.
size_t edit_distance(std::string_view a, std::string_view b);

// The candidate nearest to `word` that is close enough to be what was meant: at most
// `max_distance` edits away and sharing a character with `word` (so "6" is not taken for "1").
// The first of equally near candidates wins; nothing when none is close enough.
std::optional<std::string> nearest(std::string_view word,
                                   const std::vector<std::string>& candidates, size_t max_distance);

}  // namespace setup
