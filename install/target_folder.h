#pragma once
// The target-folder placeholder of registry data, and the CP1250 upper-casing that finds it
// whatever the case it was written in.
#include <string>
#include <string_view>

namespace setup {

inline constexpr std::string_view kTargetFolderPlaceholder = "<FOLDERDOCELOWY>";

// a-z and the nine Polish lower-case letters of CP1250 (ą ć ę ł ń ó ś ź ż) to their capitals;
// every other byte unchanged, so positions in the result are positions in `text`.
std::string PolishUpperCase(std::string_view text);

// `text` with its first placeholder, in any letter case, replaced by `target` as it stands;
// a second placeholder stays.
std::string ExpandTargetFolder(std::string_view text, std::string_view target);

}  // namespace setup
